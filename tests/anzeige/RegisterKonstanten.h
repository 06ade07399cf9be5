#pragma once
// Constants of every shape for the register tests, in registers c0-3 (M), c4 (a), c5 (b), c6-7 (s)
// and c8-10 (l): a matrix, two float2 not packed together, a struct member and an array element.
namespace anzeige {

inline const char* const REGISTER_KONSTANTEN = R"(
float4x4 M;
float2 a;
float2 b;
struct K { float3 p; float r; };
K s;
float4 l[3];
)";

}  // namespace anzeige
