#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How signals are placed into and read out of frame data.
//
// Texts: a data text holds the frame bytes as hex digits (spaces and any other
// non-hex characters are ignored); a bit text holds one '0' or '1' per data bit,
// byte after byte, most significant bit first, so bit i of byte b sits at
// position 8*b + 7 - i; a value text is a raw value in decimal.
//
// A signal is addressed by startByte, startBit, length and byteOrder (1 Intel,
// otherwise Motorola). The absolute start bit s = 8*startByte + startBit is the
// least significant bit of an Intel signal and the most significant bit of a
// Motorola signal. An Intel signal counts upwards from s into the next bytes; a
// Motorola signal starts at bit-text position 8*startByte + 7 - startBit and
// runs over consecutive positions.
namespace kivplus {

// A frame holds at most 64 bytes (CAN FD); a signal bit text is cut at
// kMaxSignalBits characters.
inline constexpr int kMaxFrameBytes = 64;
inline constexpr int kMaxSignalBits = 65536;

// Every hex digit gives its four bits; other characters are skipped.
std::string hexToBits(std::string_view hex);
// Eight bits to two upper-case hex digits.
std::string bitsToHex(std::string_view bits);
// Hex digits as a raw value; when isSigned, a '-' anywhere negates and values
// from 2^(length-1) on are read as two's complement of length bits.
std::int64_t hexToRaw(std::string_view hex, bool isSigned, int length);
// Sets every bit above bit length-1 when that bit is set (length <= 63).
std::uint64_t signExtend(std::uint64_t value, int length);
// Keeps the low length bits.
std::uint64_t maskToLength(std::uint64_t value, int length);

// The signal's bits, most significant first; bits outside the bit text are
// left out, so the result may be shorter than length.
std::string extractSignalBits(std::string_view bits, int startByte, int startBit, int length, int byteOrder);
// The raw value of a signal in data, as decimal text: signed for "SNM".
std::string decodeSignal(std::string_view data, int startByte, int startBit, int length, std::string_view signalType,
                         int byteOrder);
// Exactly length bit characters of a decimal value (two's complement for a
// negative "SNM" value; an unsigned value too large gives all ones).
std::string valueToBits(std::string_view value, int length, std::string_view signalType);
// The data bits (dlc * 8 of them, dlc at most kMaxFrameBytes) with the signal bits written at the signal's
// positions; data bits missing from dataBits count as 0 and signal bits
// beyond the data are dropped.
std::string insertSignalBits(std::string_view dataBits, std::string_view signalBits, int startByte, int startBit,
                             int length, int byteOrder, int dlc);
// Writes a value into the data: returns the data text (" XX" per byte) and
// leaves the new data bits in dataBits.
std::string encodeSignal(int startBit, int startByte, int length, int byteOrder, std::string_view signalType,
                         std::string_view value, int dlc, std::string& dataBits);

// The same placement on bytes, for the hot paths (trace decoding, runners).
// Bits outside data are read as absent (left out) and never written.
std::uint64_t extractRaw(const std::uint8_t* data, std::size_t size, int startByte, int startBit, int length,
                         int byteOrder);
void insertRaw(std::uint8_t* data, std::size_t size, int startByte, int startBit, int length, int byteOrder,
               std::uint64_t raw);

// Decimal readings with the C library's rules: leading white space, optional
// sign, digits; no digits gives 0; overflow saturates. The unsigned reading
// negates modulo 2^64 ("-1" is 18446744073709551615).
std::int64_t readDecimalSigned(std::string_view text);
std::uint64_t readDecimalUnsigned(std::string_view text);

} // namespace kivplus
