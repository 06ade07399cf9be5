// Ambient-height pass, vertex stage: the area ahead of the camera seen straight down. Depth 0
// lies 32 units above the ambient centre, 1 lies 32 units below it.
float4x4 SichtMatrix;
float4x4 ProjMatrix;
float4x4 WeltMatrix;

$rein float3 vpos;
$rein float2 vuv;
$rein float vwort;
$raus float4 fpos;
$raus float2 fhoehe;  // height 1 - z/w, world y

$main() {
  float4 welt = mul(WeltMatrix, float4(vpos, 1));
  fpos = mul(ProjMatrix, mul(SichtMatrix, welt));
  fhoehe = float2(1.0 - fpos.z / fpos.w, welt.y);
}
