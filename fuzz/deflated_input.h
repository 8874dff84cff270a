// The files we read are zlib streams: arbitrary bytes reach the reader both as they are (almost
// always a damaged stream) and wrapped in a valid stream, so that the records inside are fuzzed
// too.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

template <class Read>
void readRawAndDeflated(const std::uint8_t* data, std::size_t size, Read&& read) {
    read(std::string(reinterpret_cast<const char*>(data), size));
    std::string packed(compressBound(static_cast<uLong>(size)), '\0');
    uLongf length = static_cast<uLongf>(packed.size());
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &length, data,
                 static_cast<uLong>(size)) == Z_OK) {
        packed.resize(length);
        read(packed);
    }
}
