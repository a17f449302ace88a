// The AVX2 build of the row kernels: 32-byte vectors. Compiled with -mavx2
// and only called on processors that report AVX2.
#include <immintrin.h>

#include <cstring>

#include "engine/row_update.h"

namespace veska {
namespace row_update_avx2 {

struct Avx2 {
  using Reg = __m256i;
  static constexpr int kBytes = 32;
  static constexpr int kChunk = 8;

  static Reg Load(const void* p) { return _mm256_load_si256(static_cast<const Reg*>(p)); }
  static void Store(void* p, Reg v) { _mm256_store_si256(static_cast<Reg*>(p), v); }


  using Dbl = __m256d;
  static constexpr int kDoubles = 4;
  static Dbl SetD(double v) { return _mm256_set1_pd(v); }
  static Dbl LoadAsD(const int16_t* p) {
    return _mm256_cvtepi32_pd(
        _mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
  }
  static Dbl LoadAsD(const int32_t* p) {
    return _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  }
  static Dbl SubD(Dbl a, Dbl b) { return _mm256_sub_pd(a, b); }
  static Dbl MulD(Dbl a, Dbl b) { return _mm256_mul_pd(a, b); }
  static Dbl AddD(Dbl a, Dbl b) { return _mm256_add_pd(a, b); }
  static bool FitsI32(Dbl v) {
    const Dbl inside = _mm256_and_pd(_mm256_cmp_pd(v, _mm256_set1_pd(-2147483648.0), _CMP_GE_OQ),
                                     _mm256_cmp_pd(v, _mm256_set1_pd(2147483648.0), _CMP_LT_OQ));
    return _mm256_movemask_pd(inside) == 0xF;
  }
  // The low bytes of the truncated lanes.
  static void StoreLowBytes(Dbl v, uint8_t* out) {
    const __m128i t = _mm256_cvttpd_epi32(v);
    const __m128i bytes = _mm_shuffle_epi8(t, _mm_set1_epi32(0x0C080400));
    const int32_t four = _mm_cvtsi128_si32(bytes);
    std::memcpy(out, &four, 4);
  }
  static Reg LoadDup8(const uint8_t* p) {
    const Reg w = _mm256_cvtepu8_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(p)));
    return _mm256_or_si256(w, _mm256_slli_epi16(w, 8));
  }
  static Reg LoadDup16(const uint16_t* p) {
    const Reg w = _mm256_cvtepu16_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(p)));
    return _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
  }
  static Reg Zero() { return _mm256_setzero_si256(); }
  static Reg Set8(int8_t v) { return _mm256_set1_epi8(v); }
  static Reg Set16(int16_t v) { return _mm256_set1_epi16(v); }
  static Reg Set32(int32_t v) { return _mm256_set1_epi32(v); }
  static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
  static Reg Xor(Reg a, Reg b) { return _mm256_xor_si256(a, b); }
  static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
  static Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
  static Reg Add32(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
  static Reg Sub32(Reg a, Reg b) { return _mm256_sub_epi32(a, b); }
  static Reg AddSatU8(Reg a, Reg b) { return _mm256_adds_epu8(a, b); }
  static Reg SubSatU8(Reg a, Reg b) { return _mm256_subs_epu8(a, b); }
  static Reg AddSatU16(Reg a, Reg b) { return _mm256_adds_epu16(a, b); }
  static Reg SubSatU16(Reg a, Reg b) { return _mm256_subs_epu16(a, b); }
  static Reg MinU8(Reg a, Reg b) { return _mm256_min_epu8(a, b); }
  static Reg MaxU8(Reg a, Reg b) { return _mm256_max_epu8(a, b); }
  static Reg MinI16(Reg a, Reg b) { return _mm256_min_epi16(a, b); }
  static Reg MaxI16(Reg a, Reg b) { return _mm256_max_epi16(a, b); }
  static Reg MaddI16(Reg a, Reg b) { return _mm256_madd_epi16(a, b); }
  static Reg Mullo16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
  static Reg Srl16By8(Reg a) { return _mm256_srli_epi16(a, 8); }
  // First byte minus second byte of every 16-bit word.
  static Reg PairDiff8(Reg a) { return _mm256_maddubs_epi16(a, _mm256_set1_epi16(-255)); }
  // Bytes move k places up; the k lowest come from the top of prev.
  template <int k>
  static Reg ShiftUp(Reg cur, Reg prev) {
    const Reg below = _mm256_permute2x128_si256(prev, cur, 0x21);  // prev.hi, cur.lo
    return _mm256_alignr_epi8(cur, below, 16 - k);
  }
  // Bytes move k places down; the k highest come from the bottom of next.
  template <int k>
  static Reg ShiftDown(Reg cur, Reg next) {
    const Reg above = _mm256_permute2x128_si256(cur, next, 0x21);  // cur.hi, next.lo
    return _mm256_alignr_epi8(above, cur, k);
  }
  static void Interleave16(Reg even, Reg odd, Reg& first, Reg& second) {
    const Reg lo = _mm256_unpacklo_epi16(even, odd);
    const Reg hi = _mm256_unpackhi_epi16(even, odd);
    first = _mm256_permute2x128_si256(lo, hi, 0x20);
    second = _mm256_permute2x128_si256(lo, hi, 0x31);
  }
  static void Interleave32(Reg even, Reg odd, Reg& first, Reg& second) {
    const Reg lo = _mm256_unpacklo_epi32(even, odd);
    const Reg hi = _mm256_unpackhi_epi32(even, odd);
    first = _mm256_permute2x128_si256(lo, hi, 0x20);
    second = _mm256_permute2x128_si256(lo, hi, 0x31);
  }
};

}  // namespace row_update_avx2
}  // namespace veska

#define VESKA_VECTOR_BUILD row_update_avx2
#include "engine/row_update_vector.h"

namespace veska {

const RowKernelSet& Avx2RowKernels() {
  return row_update_avx2::VectorKernelSet<row_update_avx2::Avx2>("avx2");
}

}  // namespace veska
