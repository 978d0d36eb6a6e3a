// Small pieces of JSON text for the --json outputs.
#pragma once

#include <string>

// A JSON string literal, quotes included.
std::string JsonString(const std::string& text);
// A number; non-finite values as null.
std::string JsonNumber(double value);
