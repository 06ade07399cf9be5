// Shadow pass, vertex stage: the scene as the sun sees it. SichtMatrix is the light transform
// (orthographic, depth 0..1 along the light), ProjMatrix the identity.
float4x4 SichtMatrix;
float4x4 ProjMatrix;
float4x4 WeltMatrix;

$rein float3 vpos;
$rein float2 vuv;
$rein float vwort;
$raus float4 fpos;
$raus float3 ftiefe;  // clip z, clip w, world y

$main() {
  float4 welt = mul(WeltMatrix, float4(vpos, 1));
  fpos = mul(ProjMatrix, mul(SichtMatrix, welt));
  ftiefe = float3(fpos.z, fpos.w, welt.y);
}
