#pragma once
// Row kernels of the virtual device: one pass over a span of pixels, SSE2 on
// x86-64 (the baseline, so the build stays portable) with a scalar tail, and
// AVX2 forms of the 16-bit and ARGB kernels chosen at run time. Each
// has a straightforward per-pixel twin (namespace spanref) that defines its
// result; tests hold the two equal on random content.
#include <cstdint>

namespace spans {

// DirectDraw copies with a source colour key: pixels equal to the key are left out.
void CopyKeyed8(uint8_t* d, const uint8_t* s, int n, uint8_t key);
void CopyKeyed16(uint16_t* d, const uint16_t* s, int n, uint16_t key);
void CopyKeyed32(uint32_t* d, const uint32_t* s, int n, uint32_t key);

// ARGB texels onto a 32-bit target with source-alpha blending: alpha 255 is
// copied, 0 leaves the target, anything between blends (forceAlpha is or-ed
// into blended pixels: 0xFF000000 on an X8R8G8B8 target).
void BlendArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha);
// ARGB texels written as they are (blending off), forceAlpha or-ed in.
void CopyArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha);

// A1R5G5B5 texels onto an A1R5G5B5 target with blending: texels without
// the alpha bit are left out, the rest copied unchanged.
void Select1555(uint16_t* d, const uint16_t* s, int n);
// A1R5G5B5 texels onto an R5G6B5 target; keyed: texels without the alpha bit are left out.
void Convert1555To565(uint16_t* d, const uint16_t* s, int n, bool keyed);

// Gathers texels: out[i] = row[columns[i]].
void Gather16(uint16_t* out, const uint16_t* row, const int* columns, int n);
void Gather32(uint32_t* out, const uint32_t* row, const int* columns, int n);

}  // namespace spans

namespace spanref {
// The per-pixel definitions of the kernels above.
void CopyKeyed8(uint8_t* d, const uint8_t* s, int n, uint8_t key);
void CopyKeyed16(uint16_t* d, const uint16_t* s, int n, uint16_t key);
void CopyKeyed32(uint32_t* d, const uint32_t* s, int n, uint32_t key);
void BlendArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha);
void CopyArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha);
void Select1555(uint16_t* d, const uint16_t* s, int n);
void Convert1555To565(uint16_t* d, const uint16_t* s, int n, bool keyed);
}  // namespace spanref

// Tests switch the device to its straightforward per-pixel paths to compare
// them with the fast ones. Off by default.
void DDUseReferencePixelPaths(bool on);
bool DDReferencePixelPaths();
// Tests keep the kernels to their SSE2 forms where the processor would take AVX2.
void DDLimitSpanKernelsToBaseline(bool on);
