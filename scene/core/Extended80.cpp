// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/Extended80.h"

#include <bit>
#include <cstring>
#include <limits>

namespace nimbrell {

namespace {

struct Unpacked {
    bool negative { false };
    int exponentField { 0 };
    std::uint64_t significand { 0 };
};

Unpacked unpack(const Extended80& bytes)
{
    Unpacked out;
    for (int i = 7; i >= 0; --i)
        out.significand = (out.significand << 8) | bytes[static_cast<std::size_t>(i)];
    unsigned top = bytes[8] | (unsigned(bytes[9]) << 8);
    out.negative = (top & 0x8000) != 0;
    out.exponentField = static_cast<int>(top & 0x7FFF);
    return out;
}

// Rounds (significand · 2^(exponent − 63)), significand non-zero, to an IEEE binary format
// with `mantissaBits` stored fraction bits and the given exponent range; returns the raw bits.
std::uint64_t roundToBinary(bool negative, std::uint64_t significand, int exponent, int mantissaBits, int exponentBits)
{
    const int bias = (1 << (exponentBits - 1)) - 1;
    const int minExponent = 1 - bias;
    const std::uint64_t signBit = negative ? std::uint64_t(1) << (mantissaBits + exponentBits) : 0;
    const std::uint64_t infinity = signBit | (((std::uint64_t(1) << exponentBits) - 1) << mantissaBits);

    int leading = std::countl_zero(significand);
    significand <<= leading;
    exponent -= leading;

    // Bits to drop from the 64-bit significand to keep mantissaBits + 1.
    int shift = 63 - mantissaBits;
    if (exponent < minExponent)
        shift += minExponent - exponent;
    if (shift > 64)
        return signBit;

    std::uint64_t kept = shift == 64 ? 0 : significand >> shift;
    std::uint64_t dropped = shift == 64 ? significand : significand & ((std::uint64_t(1) << shift) - 1);
    std::uint64_t half = std::uint64_t(1) << (shift - 1);
    if (dropped > half || (dropped == half && (kept & 1)))
        ++kept;

    if (exponent < minExponent) {
        // Subnormal; a carry into the hidden bit gives the smallest normal by itself.
        return signBit | kept;
    }
    if (kept >> (mantissaBits + 1)) {
        kept >>= 1;
        ++exponent;
    }
    if (exponent > bias)
        return infinity;
    std::uint64_t biased = static_cast<std::uint64_t>(exponent + bias);
    return signBit | (biased << mantissaBits) | (kept & ((std::uint64_t(1) << mantissaBits) - 1));
}

std::uint64_t decode(const Extended80& bytes, int mantissaBits, int exponentBits)
{
    Unpacked value = unpack(bytes);
    const std::uint64_t signBit = value.negative ? std::uint64_t(1) << (mantissaBits + exponentBits) : 0;
    const std::uint64_t exponentMask = ((std::uint64_t(1) << exponentBits) - 1) << mantissaBits;
    if (value.exponentField == 0x7FFF) {
        std::uint64_t fraction = value.significand & 0x7FFFFFFFFFFFFFFFull;
        if (fraction == 0)
            return signBit | exponentMask;
        // Quiet NaN, keeping the top payload bits.
        std::uint64_t payload = fraction >> (63 - mantissaBits);
        return signBit | exponentMask | (std::uint64_t(1) << (mantissaBits - 1)) | payload;
    }
    if (value.significand == 0)
        return signBit;
    int exponent = value.exponentField == 0 ? 1 - 16383 : value.exponentField - 16383;
    return roundToBinary(value.negative, value.significand, exponent, mantissaBits, exponentBits);
}

}

Extended80 EncodeExtended(double value)
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bool negative = (bits >> 63) != 0;
    int exponentField = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t fraction = bits & 0xFFFFFFFFFFFFFull;

    unsigned top = 0;
    std::uint64_t significand = 0;
    if (exponentField == 0x7FF) {
        top = 0x7FFF;
        significand = 0x8000000000000000ull | (fraction << 11);
        if (fraction)
            significand |= 0x4000000000000000ull;
    } else if (exponentField == 0 && fraction == 0) {
        top = 0;
        significand = 0;
    } else {
        int exponent;
        if (exponentField == 0) {
            int leading = std::countl_zero(fraction);
            significand = fraction << leading;
            exponent = -1022 - (leading - 11);
        } else {
            significand = (fraction | 0x10000000000000ull) << 11;
            exponent = exponentField - 1023;
        }
        top = static_cast<unsigned>(exponent + 16383);
    }
    if (negative)
        top |= 0x8000;

    Extended80 out {};
    for (int i = 0; i < 8; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(significand >> (8 * i));
    out[8] = static_cast<std::uint8_t>(top);
    out[9] = static_cast<std::uint8_t>(top >> 8);
    return out;
}

double DecodeExtendedToDouble(const Extended80& bytes)
{
    return std::bit_cast<double>(decode(bytes, 52, 11));
}

float DecodeExtendedToFloat(const Extended80& bytes)
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(decode(bytes, 23, 8)));
}

}
