// Particles, vertex stage: each corner of a camera-facing quad carries the particle's centre, its
// view-space offset (u, v) and one word k + 4 (r + 32 (g + 32 (b + 32 a))): the corner index k
// and the colour in five bits per channel, exact in a float and taken apart with floor.
float4x4 SichtMatrix;
float4x4 ProjMatrix;
float4x4 WeltMatrix;
float4x4 gLichtTransform;
float4 gLichtRichtung;

$rein float3 vpos;
$rein float2 vuv;
$rein float vwort;
$raus float4 fpos;
$raus float4 ffarbe;
$raus float2 fecke;    // the corner in the spot's frame: (cos, sin) of -k quarter turns
$raus float2 fsicht;   // the corner's view-space offset over the size
$raus float3 fsonne;   // the direction to the sun in view space
$raus float4 flicht;   // the centre in light space

// The low `teiler` part of w and the rest above it (w a whole number).
float2 Teile(float w, float teiler) {
  float oben = floor(w / teiler);
  return float2(w - oben * teiler, oben);
}

$main() {
  float4 welt = mul(WeltMatrix, float4(vpos, 1));
  float4 sicht = mul(SichtMatrix, welt);
  sicht.xy += vuv;
  fpos = mul(ProjMatrix, sicht);
  float2 k = Teile(vwort, 4.0);
  float2 r = Teile(k.y, 32.0);
  float2 g = Teile(r.y, 32.0);
  float2 b = Teile(g.y, 32.0);
  ffarbe = float4(r.x, g.x, b.x, b.y) / 31.0;
  float winkel = -k.x * 1.5707964;
  fecke = float2(cos(winkel), sin(winkel));
  fsicht = vuv / max(length(vuv), 1e-20);
  fsonne = mul(SichtMatrix, float4(-gLichtRichtung.xyz, 0)).xyz;
  flicht = mul(gLichtTransform, welt);
}
