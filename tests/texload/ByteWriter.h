// Builds little-endian files byte by byte for the reader tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct ByteWriter {
    std::vector<uint8_t> bytes;

    ByteWriter& U8(uint32_t v)
    {
        bytes.push_back((uint8_t)v);
        return *this;
    }
    ByteWriter& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    ByteWriter& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    ByteWriter& Bytes(std::initializer_list<uint8_t> list)
    {
        bytes.insert(bytes.end(), list);
        return *this;
    }
    ByteWriter& Text(const std::string& text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    ByteWriter& Zeros(size_t count)
    {
        bytes.resize(bytes.size() + count, 0);
        return *this;
    }
    void PutU32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) bytes[at + i] = (uint8_t)(v >> (8 * i));
    }
};
