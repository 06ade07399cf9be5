#pragma once
// A D3DX buffer over its own bytes.
#include <cstdint>
#include <vector>

#include "Plattform/d3dx9/d3dx9.h"

namespace d3dx9 {

class Puffer final : public ID3DXBuffer {
 public:
  explicit Puffer(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  void* GetBufferPointer() override { return bytes_.data(); }
  DWORD GetBufferSize() override { return DWORD(bytes_.size()); }
  UINT Release() override {
    delete this;
    return 0;
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace d3dx9
