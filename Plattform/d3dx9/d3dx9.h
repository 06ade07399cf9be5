#pragma once
// D3DX 9 services on the Direct3D-9-shaped device: the shader profiles of a device and the HLSL
// compiler. The compiler needs no device: its code buffer holds a d3d9::ShaderCode record.
#include <cstdint>

#include "Plattform/d3d9/d3d9.h"

namespace d3dx9 {

using d3d9::DWORD;
using d3d9::HRESULT;
using d3d9::UINT;

inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);

inline constexpr DWORD D3DXSHADER_DEBUG = 1;
inline constexpr DWORD D3DXSHADER_SKIPOPTIMIZATION = 4;

// "vs_3_0" or "ps_3_0" when the device's caps give shader model 3; null when the caps cannot be
// read or give less.
const char* D3DXGetVertexShaderProfile(d3d9::IDirect3DDevice9* geraet);
const char* D3DXGetPixelShaderProfile(d3d9::IDirect3DDevice9* geraet);

class ID3DXBuffer {
 public:
  virtual void* GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
  virtual UINT Release() = 0;

 protected:
  virtual ~ID3DXBuffer() = default;
};

// Names a constant, a struct member or an array element of one table; null is the table itself.
using D3DXHANDLE = const void*;

enum D3DXREGISTER_SET : uint32_t { D3DXRS_BOOL = 0, D3DXRS_INT4 = 1, D3DXRS_FLOAT4 = 2, D3DXRS_SAMPLER = 3 };
enum D3DXPARAMETER_CLASS : uint32_t {
  D3DXPC_SCALAR = 0,
  D3DXPC_VECTOR = 1,
  D3DXPC_MATRIX_ROWS = 2,
  D3DXPC_MATRIX_COLUMNS = 3,
  D3DXPC_OBJECT = 4,
  D3DXPC_STRUCT = 5
};
enum D3DXPARAMETER_TYPE : uint32_t {
  D3DXPT_VOID = 0,
  D3DXPT_FLOAT = 3,
  D3DXPT_SAMPLER2D = 12,
  D3DXPT_SAMPLER3D = 13,
  D3DXPT_SAMPLERCUBE = 14
};

struct D3DXCONSTANTTABLE_DESC {
  const char* Creator;
  DWORD Version;
  UINT Constants;
};

struct D3DXCONSTANT_DESC {
  const char* Name;
  D3DXREGISTER_SET RegisterSet;
  UINT RegisterIndex;
  UINT RegisterCount;
  D3DXPARAMETER_CLASS Class;
  D3DXPARAMETER_TYPE Type;
  UINT Rows;
  UINT Columns;
  UINT Elements;
  UINT StructMembers;
  UINT Bytes;
  const void* DefaultValue;
};

class ID3DXConstantTable {
 public:
  virtual HRESULT GetDesc(D3DXCONSTANTTABLE_DESC* desc) = 0;
  // Constant `index` of the table (parent null) or member `index` of a struct.
  virtual D3DXHANDLE GetConstant(D3DXHANDLE parent, UINT index) = 0;
  virtual D3DXHANDLE GetConstantElement(D3DXHANDLE array, UINT index) = 0;
  // One description per handle: *count is set to 1 (0 for a foreign handle).
  virtual HRESULT GetConstantDesc(D3DXHANDLE constant, D3DXCONSTANT_DESC* desc, UINT* count) = 0;
  virtual UINT Release() = 0;

 protected:
  virtual ~ID3DXConstantTable() = default;
};

struct D3DXMACRO {
  const char* Name;
  const char* Definition;
};
class ID3DXInclude;  // not supported: a non-null handler is refused

// Compiles HLSL shader model 3 (`profil` "vs_3_0" or "ps_3_0", entry "main") into a
// d3d9::ShaderCode record. D3D_OK; E_FAIL for a failed compile with the reason in *meldungen;
// D3DERR_INVALIDCALL for bad arguments. *meldungen stays null when there is nothing to say.
HRESULT D3DXCompileShader(const char* quelle, UINT laenge, const D3DXMACRO* makros, ID3DXInclude* include,
                          const char* einstieg, const char* profil, DWORD flags, ID3DXBuffer** code,
                          ID3DXBuffer** meldungen, ID3DXConstantTable** tabelle);
// The same on a file's text (CR LF read as LF).
HRESULT D3DXCompileShaderFromFileA(const char* datei, const D3DXMACRO* makros, ID3DXInclude* include,
                                   const char* einstieg, const char* profil, DWORD flags, ID3DXBuffer** code,
                                   ID3DXBuffer** meldungen, ID3DXConstantTable** tabelle);

}  // namespace d3dx9
