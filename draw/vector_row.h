#ifndef NOUGHTS_DRAW_VECTOR_ROW_H
#define NOUGHTS_DRAW_VECTOR_ROW_H

// Rows of pixels written with WebAssembly's vector stores: the row copy of draw/blit.cpp and the
// fill of draw/draw.cpp in the web build. There memcpy becomes memory.copy, a call out of the
// generated code that costs about as much as a row of a few hundred bytes, such as a cell's;
// these stores stay inline.
#ifdef __wasm_simd128__

#include <cstddef>
#include <cstdint>
#include <wasm_simd128.h>

constexpr std::size_t VECTOR_BYTES = sizeof(v128_t);

// Bytes from `to` up to the next vector boundary (a whole vector when `to` lies on one).
inline std::size_t ToVectorBoundary(const void* to)
{
    return VECTOR_BYTES - reinterpret_cast<std::uintptr_t>(to) % VECTOR_BYTES;
}

// Writes bytes (at least VECTOR_BYTES) at `to`, vectorAt(offset) giving the vector for
// to + offset. The first vector goes to `to`, the next ones from offset `next` (at most one
// vector in) on, and the last may overlap the one before it. With `next` at a vector boundary
// every store after the first is aligned: one that straddles two cache lines costs about two.
// Four vectors a turn, as the engine does not unroll the loop.
template <typename VectorAt>
inline void StoreRow(unsigned char* to, std::size_t bytes, std::size_t next, VectorAt vectorAt)
{
    constexpr std::size_t V = VECTOR_BYTES;
    wasm_v128_store(to, vectorAt(0));
    std::size_t done = next;
    for (; done + 4 * V <= bytes; done += 4 * V)
    {
        const v128_t a = vectorAt(done);
        const v128_t b = vectorAt(done + V);
        const v128_t c = vectorAt(done + 2 * V);
        const v128_t d = vectorAt(done + 3 * V);
        wasm_v128_store(to + done, a);
        wasm_v128_store(to + done + V, b);
        wasm_v128_store(to + done + 2 * V, c);
        wasm_v128_store(to + done + 3 * V, d);
    }
    for (; done + V <= bytes; done += V)
    {
        wasm_v128_store(to + done, vectorAt(done));
    }
    wasm_v128_store(to + bytes - V, vectorAt(bytes - V));
}

#endif

#endif
