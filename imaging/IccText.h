#pragma once
// The texts of a version 2 ICC profile, coded here rather than by LittleCMS: its version 2
// writer takes the ASCII length for the Unicode part and cuts each character to 16 bits, so
// a character beyond the Basic Multilingual Plane came out as a wrong character and a
// string without its terminator. Text arrives as UTF-8; a malformed sequence becomes '?'.

#include <string>

namespace vorn {

// A whole textDescriptionType tag ('desc'): the ASCII form (other characters as '?'), the
// same text in UTF-16 with surrogate pairs, and an empty ScriptCode part.
std::string TextDescriptionTag(const std::string& utf8);
// A whole textType tag ('text'): 7-bit ASCII, other characters as '?'.
std::string AsciiTextTag(const std::string& utf8);
// A profileSequenceDescTag ('pseq') of one profile whose maker and model are unknown.
std::string UnknownDeviceSequenceTag();

}  // namespace vorn
