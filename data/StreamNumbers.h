// Numbers of the text files (data/DecimalScan.h) read from a stdio stream, as
// one "%f" or "%d" conversion reads them: white space first, then the number.
// Each returns 1 when the value was stored, 0 when the text is no number (the
// character that did not fit stays in the stream), EOF at the end.
#pragma once

#include <cstdio>

int ReadStreamFloat(std::FILE* file, float* value);
int ReadStreamInt(std::FILE* file, int* value);
// Takes white space up to the next other character or the end.
void SkipStreamSpace(std::FILE* file);
