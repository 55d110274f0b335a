#include "media/graphics/PixelSpans.h"

#include <atomic>

#include "media/graphics/DDDevice.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define BRINDLE_SSE2 1
#endif

namespace {
std::atomic<bool> g_reference{false};
std::atomic<bool> g_baselineOnly{false};


inline uint32_t BlendArgbPixel(uint32_t c, uint32_t d, uint32_t a, uint32_t forceAlpha) {
  return (BlendChannel(a, d >> 24, a) << 24 | BlendChannel((c >> 16) & 255, (d >> 16) & 255, a) << 16 |
          BlendChannel((c >> 8) & 255, (d >> 8) & 255, a) << 8 | BlendChannel(c & 255, d & 255, a)) |
         forceAlpha;
}

// R5G5B5 -> R5G6B5: red and green move up a bit, green's top bit repeats as its lowest.
inline uint16_t To565(uint16_t v) {
  return static_cast<uint16_t>(((v & 0x7FE0u) << 1) | ((v >> 4) & 0x20u) | (v & 0x1Fu));
}

#if BRINDLE_SSE2
inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
// Lanes of keep where mask is set, of v elsewhere.
inline __m128i Select(__m128i mask, __m128i keep, __m128i v) {
  return _mm_or_si128(_mm_and_si128(mask, keep), _mm_andnot_si128(mask, v));
}
// Where mask is set the target keeps its pixel, elsewhere it takes v.
inline void StoreUnlessMasked(void* p, __m128i v, __m128i mask, int bits) {
  if (bits == 0) {
    Store(p, v);
  } else if (bits != 0xFFFF) {
    __m128i d = Load(p);
    Store(p, _mm_or_si128(_mm_and_si128(mask, d), _mm_andnot_si128(mask, v)));
  }
}
// Lanes whose A1R5G5B5 texel lacks the alpha bit (negative once the bit is flipped).
inline __m128i Clear1555(__m128i v) { return _mm_cmpgt_epi16(_mm_setzero_si128(), _mm_xor_si128(v, _mm_set1_epi16(-32768))); }
// R5G5B5 -> R5G6B5: red and green move up a bit, green's top bit repeats as its lowest.
inline __m128i Convert565x8(__m128i v) {
  const __m128i rg = _mm_slli_epi16(_mm_and_si128(v, _mm_set1_epi16(0x7FE0)), 1);
  const __m128i gLow = _mm_and_si128(_mm_srli_epi16(v, 4), _mm_set1_epi16(0x0020));
  return _mm_or_si128(_mm_or_si128(rg, gLow), _mm_and_si128(v, _mm_set1_epi16(0x001F)));
}
// Whether every lane of the four has the alpha bit (the top bit of each high byte).
inline bool AllOpaque1555(__m128i v0, __m128i v1, __m128i v2, __m128i v3) {
  const __m128i all = _mm_and_si128(_mm_and_si128(v0, v1), _mm_and_si128(v2, v3));
  return (_mm_movemask_epi8(all) & 0xAAAA) == 0xAAAA;
}
#endif
#if BRINDLE_SSE2 && defined(__GNUC__)
#include <immintrin.h>
#define BRINDLE_AVX2 1
// The 16-to-16-bit conversion is bound by arithmetic: where the processor has
// AVX2 it takes 16 texels a step (chosen once at run time, the build stays
// baseline x86-64).
bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && !g_baselineOnly.load(std::memory_order_relaxed);
}

__attribute__((target("avx2"))) inline __m256i Convert565x16(__m256i v) {
  const __m256i rg = _mm256_slli_epi16(_mm256_and_si256(v, _mm256_set1_epi16(0x7FE0)), 1);
  const __m256i gLow = _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi16(0x0020));
  return _mm256_or_si256(_mm256_or_si256(rg, gLow), _mm256_and_si256(v, _mm256_set1_epi16(0x001F)));
}

__attribute__((target("avx2"))) void Convert1555To565Avx2(uint16_t* d, const uint16_t* s, int n, bool keyed) {
  int i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 16));
    __m256i o0 = Convert565x16(v0), o1 = Convert565x16(v1);
    if (keyed && (static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(v0, v1))) & 0xAAAAAAAAu) != 0xAAAAAAAAu) {
      // Texels without the alpha bit keep the target: the sign of each lane is the alpha bit.
      const __m256i k0 = _mm256_srai_epi16(v0, 15), k1 = _mm256_srai_epi16(v1, 15);
      o0 = _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i)), o0, k0);
      o1 = _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i + 16)), o1, k1);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), o0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 16), o1);
  }
  for (; i < n; ++i)
    if (!keyed || (s[i] & 0x8000u)) d[i] = To565(s[i]);
}

__attribute__((target("avx2"))) void Select1555Avx2(uint16_t* d, const uint16_t* s, int n) {
  int i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 16));
    __m256i o0 = v0, o1 = v1;
    if ((static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(v0, v1))) & 0xAAAAAAAAu) != 0xAAAAAAAAu) {
      o0 = _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i)), v0, _mm256_srai_epi16(v0, 15));
      o1 = _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i + 16)), v1,
                              _mm256_srai_epi16(v1, 15));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), o0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 16), o1);
  }
  for (; i < n; ++i)
    if (s[i] & 0x8000u) d[i] = s[i];
}

// Opaque and clear texels of 16 at a time; false (nothing written) when a
// texel blends, which the caller then does by the pixel.
__attribute__((target("avx2"))) int BlendArgbAvx2(uint32_t* d, const uint32_t* s, int n) {
  const __m256i amask = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i zero = _mm256_setzero_si256();
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 8));
    const __m256i a0 = _mm256_and_si256(v0, amask), a1 = _mm256_and_si256(v1, amask);
    const __m256i o0 = _mm256_cmpeq_epi32(a0, amask), o1 = _mm256_cmpeq_epi32(a1, amask);
    if (_mm256_movemask_epi8(_mm256_and_si256(o0, o1)) == -1) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), v0);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 8), v1);
      continue;
    }
    const __m256i c0 = _mm256_cmpeq_epi32(a0, zero), c1 = _mm256_cmpeq_epi32(a1, zero);
    const __m256i known = _mm256_and_si256(_mm256_or_si256(o0, c0), _mm256_or_si256(o1, c1));
    if (_mm256_movemask_epi8(known) != -1) break;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                        _mm256_blendv_epi8(v0, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i)), c0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 8),
                        _mm256_blendv_epi8(v1, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i + 8)), c1));
  }
  return i;
}
#endif
}  // namespace

void DDUseReferencePixelPaths(bool on) { g_reference.store(on, std::memory_order_relaxed); }
bool DDReferencePixelPaths() { return g_reference.load(std::memory_order_relaxed); }
void DDLimitSpanKernelsToBaseline(bool on) { g_baselineOnly.store(on, std::memory_order_relaxed); }

namespace spans {

void CopyKeyed8(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
  int i = 0;
#if BRINDLE_SSE2
  const __m128i k = _mm_set1_epi8(static_cast<char>(key));
  for (; i + 16 <= n; i += 16) {
    __m128i v = Load(s + i), m = _mm_cmpeq_epi8(v, k);
    StoreUnlessMasked(d + i, v, m, _mm_movemask_epi8(m));
  }
#endif
  for (; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}

void CopyKeyed16(uint16_t* d, const uint16_t* s, int n, uint16_t key) {
  int i = 0;
#if BRINDLE_SSE2
  const __m128i k = _mm_set1_epi16(static_cast<short>(key));
  for (; i + 8 <= n; i += 8) {
    __m128i v = Load(s + i), m = _mm_cmpeq_epi16(v, k);
    StoreUnlessMasked(d + i, v, m, _mm_movemask_epi8(m));
  }
#endif
  for (; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}

void CopyKeyed32(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
  int i = 0;
#if BRINDLE_SSE2
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  for (; i + 4 <= n; i += 4) {
    __m128i v = Load(s + i), m = _mm_cmpeq_epi32(v, k);
    StoreUnlessMasked(d + i, v, m, _mm_movemask_epi8(m));
  }
#endif
  for (; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}

void BlendArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha) {
  int i = 0;
#if BRINDLE_AVX2
  // Runs of opaque and clear texels go 16 at a time; a block that blends goes by the pixel.
  if (HasAvx2()) {
    while (i + 16 <= n) {
      i += BlendArgbAvx2(d + i, s + i, n - i);
      if (i + 16 > n) break;
      for (int k = i; k < i + 16; ++k) {
        const uint32_t c = s[k], al = c >> 24;
        if (al == 255) d[k] = c;
        else if (al != 0) d[k] = BlendArgbPixel(c, d[k], al, forceAlpha);
      }
      i += 16;
    }
  }
#endif
#if BRINDLE_SSE2
  const __m128i amask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  auto four = [&](int k, __m128i v) {
    const __m128i a = _mm_and_si128(v, amask);
    const __m128i clear = _mm_cmpeq_epi32(a, zero);
    const int opaqueBits = _mm_movemask_epi8(_mm_cmpeq_epi32(a, amask));
    const int clearBits = _mm_movemask_epi8(clear);
    if ((opaqueBits | clearBits) == 0xFFFF) {
      // Only opaque and fully transparent texels: a select, no arithmetic.
      StoreUnlessMasked(d + k, v, clear, clearBits);
      return;
    }
    for (int j = k; j < k + 4; ++j) {
      const uint32_t c = s[j], al = c >> 24;
      if (al == 255) d[j] = c;
      else if (al != 0) d[j] = BlendArgbPixel(c, d[j], al, forceAlpha);
    }
  };
  for (; i + 16 <= n; i += 16) {
    // Runs of opaque texels (the common case) go through in 64-byte blocks.
    const __m128i v0 = Load(s + i), v1 = Load(s + i + 4), v2 = Load(s + i + 8), v3 = Load(s + i + 12);
    const __m128i all = _mm_and_si128(_mm_and_si128(v0, v1), _mm_and_si128(v2, v3));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(all, amask), amask)) == 0xFFFF) {
      Store(d + i, v0);
      Store(d + i + 4, v1);
      Store(d + i + 8, v2);
      Store(d + i + 12, v3);
      continue;
    }
    // Keyed sprites: opaque and clear texels only, selected without branches.
    const __m128i a0 = _mm_and_si128(v0, amask), a1 = _mm_and_si128(v1, amask);
    const __m128i a2 = _mm_and_si128(v2, amask), a3 = _mm_and_si128(v3, amask);
    const __m128i c0 = _mm_cmpeq_epi32(a0, zero), c1 = _mm_cmpeq_epi32(a1, zero);
    const __m128i c2 = _mm_cmpeq_epi32(a2, zero), c3 = _mm_cmpeq_epi32(a3, zero);
    const __m128i o0 = _mm_or_si128(c0, _mm_cmpeq_epi32(a0, amask)), o1 = _mm_or_si128(c1, _mm_cmpeq_epi32(a1, amask));
    const __m128i o2 = _mm_or_si128(c2, _mm_cmpeq_epi32(a2, amask)), o3 = _mm_or_si128(c3, _mm_cmpeq_epi32(a3, amask));
    if (_mm_movemask_epi8(_mm_and_si128(_mm_and_si128(o0, o1), _mm_and_si128(o2, o3))) == 0xFFFF) {
      Store(d + i, Select(c0, Load(d + i), v0));
      Store(d + i + 4, Select(c1, Load(d + i + 4), v1));
      Store(d + i + 8, Select(c2, Load(d + i + 8), v2));
      Store(d + i + 12, Select(c3, Load(d + i + 12), v3));
      continue;
    }
    four(i, v0);
    four(i + 4, v1);
    four(i + 8, v2);
    four(i + 12, v3);
  }
  for (; i + 4 <= n; i += 4) four(i, Load(s + i));
#endif
  for (; i < n; ++i) {
    const uint32_t c = s[i], al = c >> 24;
    if (al == 255) d[i] = c;
    else if (al != 0) d[i] = BlendArgbPixel(c, d[i], al, forceAlpha);
  }
}

void CopyArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha) {
  int i = 0;
#if BRINDLE_SSE2
  const __m128i f = _mm_set1_epi32(static_cast<int>(forceAlpha));
  for (; i + 4 <= n; i += 4) Store(d + i, _mm_or_si128(Load(s + i), f));
#endif
  for (; i < n; ++i) d[i] = s[i] | forceAlpha;
}

void Select1555(uint16_t* d, const uint16_t* s, int n) {
  int i = 0;
#if BRINDLE_AVX2
  if (HasAvx2()) return Select1555Avx2(d, s, n);
#endif
#if BRINDLE_SSE2
  for (; i + 32 <= n; i += 32) {
    const __m128i v0 = Load(s + i), v1 = Load(s + i + 8), v2 = Load(s + i + 16), v3 = Load(s + i + 24);
    if (AllOpaque1555(v0, v1, v2, v3)) {
      Store(d + i, v0);
      Store(d + i + 8, v1);
      Store(d + i + 16, v2);
      Store(d + i + 24, v3);
      continue;
    }
    Store(d + i, Select(Clear1555(v0), Load(d + i), v0));
    Store(d + i + 8, Select(Clear1555(v1), Load(d + i + 8), v1));
    Store(d + i + 16, Select(Clear1555(v2), Load(d + i + 16), v2));
    Store(d + i + 24, Select(Clear1555(v3), Load(d + i + 24), v3));
  }
  for (; i + 8 <= n; i += 8) {
    const __m128i v = Load(s + i), clear = Clear1555(v);
    StoreUnlessMasked(d + i, v, clear, _mm_movemask_epi8(clear));
  }
#endif
  for (; i < n; ++i)
    if (s[i] & 0x8000u) d[i] = s[i];
}

void Convert1555To565(uint16_t* d, const uint16_t* s, int n, bool keyed) {
  int i = 0;
#if BRINDLE_AVX2
  if (HasAvx2()) return Convert1555To565Avx2(d, s, n, keyed);
#endif
#if BRINDLE_SSE2
  if (!keyed) {
    for (; i + 16 <= n; i += 16) {
      Store(d + i, Convert565x8(Load(s + i)));
      Store(d + i + 8, Convert565x8(Load(s + i + 8)));
    }
  } else {
    for (; i + 32 <= n; i += 32) {
      const __m128i v0 = Load(s + i), v1 = Load(s + i + 8), v2 = Load(s + i + 16), v3 = Load(s + i + 24);
      if (AllOpaque1555(v0, v1, v2, v3)) {
        Store(d + i, Convert565x8(v0));
        Store(d + i + 8, Convert565x8(v1));
        Store(d + i + 16, Convert565x8(v2));
        Store(d + i + 24, Convert565x8(v3));
        continue;
      }
      Store(d + i, Select(Clear1555(v0), Load(d + i), Convert565x8(v0)));
      Store(d + i + 8, Select(Clear1555(v1), Load(d + i + 8), Convert565x8(v1)));
      Store(d + i + 16, Select(Clear1555(v2), Load(d + i + 16), Convert565x8(v2)));
      Store(d + i + 24, Select(Clear1555(v3), Load(d + i + 24), Convert565x8(v3)));
    }
  }
  for (; i + 8 <= n; i += 8) {
    const __m128i v = Load(s + i);
    if (!keyed) {
      Store(d + i, Convert565x8(v));
      continue;
    }
    const __m128i clear = Clear1555(v);
    const int bits = _mm_movemask_epi8(clear);
    if (bits != 0xFFFF) StoreUnlessMasked(d + i, Convert565x8(v), clear, bits);
  }
#endif
  for (; i < n; ++i)
    if (!keyed || (s[i] & 0x8000u)) d[i] = To565(s[i]);
}

void Gather16(uint16_t* out, const uint16_t* row, const int* columns, int n) {
  for (int i = 0; i < n; ++i) out[i] = row[columns[i]];
}

void Gather32(uint32_t* out, const uint32_t* row, const int* columns, int n) {
  for (int i = 0; i < n; ++i) out[i] = row[columns[i]];
}

}  // namespace spans

namespace spanref {
namespace {
template <typename T>
void CopyKeyed(T* d, const T* s, int n, T key) {
  for (int i = 0; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}
}  // namespace

void CopyKeyed8(uint8_t* d, const uint8_t* s, int n, uint8_t key) { CopyKeyed(d, s, n, key); }
void CopyKeyed16(uint16_t* d, const uint16_t* s, int n, uint16_t key) { CopyKeyed(d, s, n, key); }
void CopyKeyed32(uint32_t* d, const uint32_t* s, int n, uint32_t key) { CopyKeyed(d, s, n, key); }

void BlendArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha) {
  for (int i = 0; i < n; ++i) {
    const uint32_t c = s[i], a = c >> 24;
    if (a == 255) d[i] = c | forceAlpha;
    else if (a != 0) d[i] = BlendArgbPixel(c, d[i], a, forceAlpha);
  }
}

void CopyArgb(uint32_t* d, const uint32_t* s, int n, uint32_t forceAlpha) {
  for (int i = 0; i < n; ++i) d[i] = s[i] | forceAlpha;
}

void Select1555(uint16_t* d, const uint16_t* s, int n) {
  for (int i = 0; i < n; ++i) {
    const uint32_t argb = FormatToArgb(DDFMT_A1R5G5B5, s[i]);
    if ((argb >> 24) != 0) d[i] = static_cast<uint16_t>(ArgbToFormat(DDFMT_A1R5G5B5, argb));
  }
}

void Convert1555To565(uint16_t* d, const uint16_t* s, int n, bool keyed) {
  for (int i = 0; i < n; ++i) {
    const uint32_t argb = FormatToArgb(DDFMT_A1R5G5B5, s[i]);
    if (!keyed || (argb >> 24) != 0) d[i] = static_cast<uint16_t>(ArgbToFormat(DDFMT_R5G6B5, argb));
  }
}
}  // namespace spanref
