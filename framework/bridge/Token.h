// The page server's secret: a random token per run that every request must
// carry, so that other local users and web pages cannot drive the dialog.
#pragma once

#include <cstddef>
#include <string>

namespace afx::bridge {

// 256 random bits from the kernel, as 64 lowercase hex digits; empty when
// the kernel gives no randomness.
std::string MakeToken();

// Fills the bytes from the system's random source; false when it gives
// none (RandomLinux.cpp, RandomWindows.cpp).
bool FillRandom(unsigned char* bytes, size_t size);

// Compares in time independent of where the texts differ.
bool TokenEquals(const std::string& a, const std::string& b);

} // namespace afx::bridge
