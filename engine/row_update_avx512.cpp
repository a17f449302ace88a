// The AVX-512 build of the row kernels: 64-byte vectors, AVX-512BW/VL
// instructions. Compiled with those flags and only called on processors that
// report AVX-512F, BW and VL.
// GCC 12's AVX-512 intrinsics build their "undefined" vectors from
// self-initialised variables, which -Wmaybe-uninitialized reports wherever
// they are inlined (GCC bug 105593); the values are never used.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include "engine/row_update.h"

namespace veska {
namespace row_update_avx512 {

struct Avx512 {
  using Reg = __m512i;
  static constexpr int kBytes = 64;
  static constexpr int kChunk = 8;

  static Reg Load(const void* p) { return _mm512_load_si512(p); }
  static void Store(void* p, Reg v) { _mm512_store_si512(p, v); }

  using Dbl = __m512d;
  static constexpr int kDoubles = 8;
  static Dbl SetD(double v) { return _mm512_set1_pd(v); }
  static Dbl LoadAsD(const int16_t* p) {
    return _mm512_cvtepi32_pd(
        _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
  }
  static Dbl LoadAsD(const int32_t* p) {
    return _mm512_cvtepi32_pd(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
  }
  static Dbl SubD(Dbl a, Dbl b) { return _mm512_sub_pd(a, b); }
  static Dbl MulD(Dbl a, Dbl b) { return _mm512_mul_pd(a, b); }
  static Dbl AddD(Dbl a, Dbl b) { return _mm512_add_pd(a, b); }
  static bool FitsI32(Dbl v) {
    const __mmask8 above = _mm512_cmp_pd_mask(v, _mm512_set1_pd(-2147483648.0), _CMP_GE_OQ);
    const __mmask8 below = _mm512_cmp_pd_mask(v, _mm512_set1_pd(2147483648.0), _CMP_LT_OQ);
    return (above & below) == 0xFF;
  }
  // The low bytes of the truncated lanes.
  static void StoreLowBytes(Dbl v, uint8_t* out) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out),
                     _mm256_cvtepi32_epi8(_mm512_cvttpd_epi32(v)));
  }
  static Reg LoadDup8(const uint8_t* p) {
    const Reg w = _mm512_cvtepu8_epi16(_mm256_load_si256(reinterpret_cast<const __m256i*>(p)));
    return _mm512_or_si512(w, _mm512_slli_epi16(w, 8));
  }
  static Reg LoadDup16(const uint16_t* p) {
    const Reg w = _mm512_cvtepu16_epi32(_mm256_load_si256(reinterpret_cast<const __m256i*>(p)));
    return _mm512_or_si512(w, _mm512_slli_epi32(w, 16));
  }
  static Reg Zero() { return _mm512_setzero_si512(); }
  static Reg Set8(int8_t v) { return _mm512_set1_epi8(v); }
  static Reg Set16(int16_t v) { return _mm512_set1_epi16(v); }
  static Reg Set32(int32_t v) { return _mm512_set1_epi32(v); }
  static Reg And(Reg a, Reg b) { return _mm512_and_si512(a, b); }
  static Reg Xor(Reg a, Reg b) { return _mm512_xor_si512(a, b); }
  static Reg Add16(Reg a, Reg b) { return _mm512_add_epi16(a, b); }
  static Reg Sub16(Reg a, Reg b) { return _mm512_sub_epi16(a, b); }
  static Reg Add32(Reg a, Reg b) { return _mm512_add_epi32(a, b); }
  static Reg Sub32(Reg a, Reg b) { return _mm512_sub_epi32(a, b); }
  static Reg AddSatU8(Reg a, Reg b) { return _mm512_adds_epu8(a, b); }
  static Reg SubSatU8(Reg a, Reg b) { return _mm512_subs_epu8(a, b); }
  static Reg AddSatU16(Reg a, Reg b) { return _mm512_adds_epu16(a, b); }
  static Reg SubSatU16(Reg a, Reg b) { return _mm512_subs_epu16(a, b); }
  static Reg MinU8(Reg a, Reg b) { return _mm512_min_epu8(a, b); }
  static Reg MaxU8(Reg a, Reg b) { return _mm512_max_epu8(a, b); }
  static Reg MinI16(Reg a, Reg b) { return _mm512_min_epi16(a, b); }
  static Reg MaxI16(Reg a, Reg b) { return _mm512_max_epi16(a, b); }
  static Reg MaddI16(Reg a, Reg b) { return _mm512_madd_epi16(a, b); }
  static Reg Mullo16(Reg a, Reg b) { return _mm512_mullo_epi16(a, b); }
  static Reg Srl16By8(Reg a) { return _mm512_srli_epi16(a, 8); }
  // First byte minus second byte of every 16-bit word.
  static Reg PairDiff8(Reg a) { return _mm512_maddubs_epi16(a, _mm512_set1_epi16(-255)); }
  // Bytes move k places up; the k lowest come from the top of prev.
  template <int k>
  static Reg ShiftUp(Reg cur, Reg prev) {
    const Reg below = _mm512_alignr_epi64(cur, prev, 6);  // prev lane 3, cur lanes 0-2
    return _mm512_alignr_epi8(cur, below, 16 - k);
  }
  // Bytes move k places down; the k highest come from the bottom of next.
  template <int k>
  static Reg ShiftDown(Reg cur, Reg next) {
    const Reg above = _mm512_alignr_epi64(next, cur, 2);  // cur lanes 1-3, next lane 0
    return _mm512_alignr_epi8(above, cur, k);
  }
  static void Interleave16(Reg even, Reg odd, Reg& first, Reg& second) {
    Lanes(_mm512_unpacklo_epi16(even, odd), _mm512_unpackhi_epi16(even, odd), first, second);
  }
  static void Interleave32(Reg even, Reg odd, Reg& first, Reg& second) {
    Lanes(_mm512_unpacklo_epi32(even, odd), _mm512_unpackhi_epi32(even, odd), first, second);
  }
  // The unpacks work within 128-bit lanes: lo holds the lines of lanes 0, 2,
  // 4, 6 (in eighths of the block) and hi those of 1, 3, 5, 7.
  static void Lanes(Reg lo, Reg hi, Reg& first, Reg& second) {
    first = _mm512_permutex2var_epi64(lo, _mm512_set_epi64(11, 10, 3, 2, 9, 8, 1, 0), hi);
    second = _mm512_permutex2var_epi64(lo, _mm512_set_epi64(15, 14, 7, 6, 13, 12, 5, 4), hi);
  }
};

}  // namespace row_update_avx512
}  // namespace veska

#define VESKA_VECTOR_BUILD row_update_avx512
#include "engine/row_update_vector.h"

namespace veska {

const RowKernelSet& Avx512RowKernels() {
  return row_update_avx512::VectorKernelSet<row_update_avx512::Avx512>("avx512");
}

}  // namespace veska
