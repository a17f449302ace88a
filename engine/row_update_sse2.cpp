// The SSE2 build of the row kernels: 16-byte vectors, 8 (mode 0, 8-bit)
// to 16 lines per instruction. Runs on every x86-64 processor.
#include <emmintrin.h>

#include "engine/row_update.h"

namespace veska {
namespace row_update_sse2 {

struct Sse2 {
  using Reg = __m128i;
  static constexpr int kBytes = 16;
  static constexpr int kChunk = 8;

  static Reg Load(const void* p) { return _mm_load_si128(static_cast<const Reg*>(p)); }
  static void Store(void* p, Reg v) { _mm_store_si128(static_cast<Reg*>(p), v); }

  // Rendering stays with the plain loop: two doubles per vector gain nothing.
  static constexpr int kDoubles = 2;
  static Reg LoadDup8(const uint8_t* p) {
    const Reg x = _mm_loadl_epi64(reinterpret_cast<const Reg*>(p));
    return _mm_unpacklo_epi8(x, x);
  }
  static Reg LoadDup16(const uint16_t* p) {
    const Reg x = _mm_loadl_epi64(reinterpret_cast<const Reg*>(p));
    return _mm_unpacklo_epi16(x, x);
  }
  static Reg Zero() { return _mm_setzero_si128(); }
  static Reg Set8(int8_t v) { return _mm_set1_epi8(v); }
  static Reg Set16(int16_t v) { return _mm_set1_epi16(v); }
  static Reg Set32(int32_t v) { return _mm_set1_epi32(v); }
  static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
  static Reg Xor(Reg a, Reg b) { return _mm_xor_si128(a, b); }
  static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
  static Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
  static Reg Add32(Reg a, Reg b) { return _mm_add_epi32(a, b); }
  static Reg Sub32(Reg a, Reg b) { return _mm_sub_epi32(a, b); }
  static Reg AddSatU8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
  static Reg SubSatU8(Reg a, Reg b) { return _mm_subs_epu8(a, b); }
  static Reg AddSatU16(Reg a, Reg b) { return _mm_adds_epu16(a, b); }
  static Reg SubSatU16(Reg a, Reg b) { return _mm_subs_epu16(a, b); }
  static Reg MinU8(Reg a, Reg b) { return _mm_min_epu8(a, b); }
  static Reg MaxU8(Reg a, Reg b) { return _mm_max_epu8(a, b); }
  static Reg MinI16(Reg a, Reg b) { return _mm_min_epi16(a, b); }
  static Reg MaxI16(Reg a, Reg b) { return _mm_max_epi16(a, b); }
  static Reg MaddI16(Reg a, Reg b) { return _mm_madd_epi16(a, b); }
  static Reg Mullo16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
  static Reg Srl16By8(Reg a) { return _mm_srli_epi16(a, 8); }
  // First byte minus second byte of every 16-bit word.
  static Reg PairDiff8(Reg a) {
    return _mm_sub_epi16(_mm_and_si128(a, _mm_set1_epi16(0x00FF)), _mm_srli_epi16(a, 8));
  }
  // Bytes move k places up; the k lowest come from the top of prev.
  template <int k>
  static Reg ShiftUp(Reg cur, Reg prev) {
    return _mm_or_si128(_mm_slli_si128(cur, k), _mm_srli_si128(prev, 16 - k));
  }
  // Bytes move k places down; the k highest come from the bottom of next.
  template <int k>
  static Reg ShiftDown(Reg cur, Reg next) {
    return _mm_or_si128(_mm_srli_si128(cur, k), _mm_slli_si128(next, 16 - k));
  }
  static void Interleave16(Reg even, Reg odd, Reg& first, Reg& second) {
    first = _mm_unpacklo_epi16(even, odd);
    second = _mm_unpackhi_epi16(even, odd);
  }
  static void Interleave32(Reg even, Reg odd, Reg& first, Reg& second) {
    first = _mm_unpacklo_epi32(even, odd);
    second = _mm_unpackhi_epi32(even, odd);
  }
};

}  // namespace row_update_sse2
}  // namespace veska

#define VESKA_VECTOR_BUILD row_update_sse2
#include "engine/row_update_vector.h"

namespace veska {

const RowKernelSet& Sse2RowKernels() {
  return row_update_sse2::VectorKernelSet<row_update_sse2::Sse2>("sse2");
}

}  // namespace veska
