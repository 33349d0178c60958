// Texts in fixed-length fields of stored records: copied with the
// terminating zero always inside the field, measured without relying on it.
#pragma once

#include <cstddef>
#include <string>

// Copies a text into a fixed-length field, always keeping the terminating
// zero inside the field (a longer text is cut). Returns false when cut.
bool CopyFixed(char* field, size_t field_size, const char* text);
template <size_t N>
bool CopyFixed(char (&field)[N], const char* text) { return CopyFixed(field, N, text); }

// Length of a fixed-length text field that may lack its terminating zero.
size_t FixedLen(const char* field, size_t field_size);

// The text of a fixed-length field that may lack its terminating zero.
std::string FixedText(const char* field, size_t field_size);
template <size_t N>
std::string FixedText(const char (&field)[N]) { return FixedText(field, N); }
