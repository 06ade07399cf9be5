// Main pass, vertex stage: world meshes through the camera. The pixel stage gets the texture
// coordinates and the world position.
float4x4 SichtMatrix;
float4x4 ProjMatrix;
float4x4 WeltMatrix;

$rein float3 vpos;
$rein float2 vuv;
$rein float vwort;
$raus float4 fpos;
$raus float2 fuv;
$raus float3 fwelt;

$main() {
  float4 welt = mul(WeltMatrix, float4(vpos, 1));
  fpos = mul(ProjMatrix, mul(SichtMatrix, welt));
  fuv = vuv;
  fwelt = welt.xyz;
}
