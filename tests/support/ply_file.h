// A binary little-endian PLY file as the sandbox's cache writes it, read for
// tests and for the comparison of two builds' caches: the header's lines, one
// element's properties with their offsets in a record, and the records.
#pragma once

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace plix::testing {

struct PlyProperty {
    std::string type, name;
    std::size_t size = 0, offset = 0;
};

struct PlyFile {
    std::string header;               // "ply\n" up to and including "end_header\n"
    std::vector<std::string> lines;   // the header's lines
    std::vector<PlyProperty> properties;
    std::size_t count = 0, recordSize = 0;
    std::string body;

    const PlyProperty *find(const std::string &name) const {
        for (const PlyProperty &p : properties)
            if (p.name == name) return &p;
        return nullptr;
    }
    const char *field(std::size_t record, const PlyProperty &p) const {
        return body.data() + record * recordSize + p.offset;
    }
    template <class Value>
    Value value(std::size_t record, const PlyProperty &p) const {
        Value out;
        std::memcpy(&out, field(record, p), sizeof out);
        return out;
    }
};

inline std::size_t plyTypeSize(const std::string &type) {
    static const std::map<std::string, std::size_t> sizes = {
        {"char", 1},   {"uchar", 1}, {"short", 2}, {"ushort", 2}, {"int", 4},     {"uint", 4},     {"float", 4},
        {"double", 8}, {"int8", 1},  {"uint8", 1}, {"int32", 4},  {"uint32", 4}, {"float32", 4}, {"float64", 8}};
    const auto it = sizes.find(type);
    return it == sizes.end() ? 0 : it->second;
}

// Throws std::runtime_error naming the file and what is wrong with it.
inline PlyFile readPlyFile(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string endHeader = "end_header\n";
    const std::size_t headerEnd = data.find(endHeader);
    if (data.rfind("ply\n", 0) != 0 || headerEnd == std::string::npos)
        throw std::runtime_error(path.string() + ": no PLY header");
    PlyFile file;
    file.header = data.substr(0, headerEnd + endHeader.size());
    file.body = data.substr(file.header.size());
    std::istringstream lines(file.header);
    for (std::string line; std::getline(lines, line);) {
        file.lines.push_back(line);
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "format" && line != "format binary_little_endian 1.0")
            throw std::runtime_error(path.string() + ": not binary little-endian");
        if (keyword == "element") {
            std::string element;
            words >> element >> file.count;
        } else if (keyword == "property") {
            PlyProperty p;
            words >> p.type >> p.name;
            p.size = plyTypeSize(p.type);
            if (p.size == 0) throw std::runtime_error(path.string() + ": property type '" + p.type + "' not understood");
            p.offset = file.recordSize;
            file.recordSize += p.size;
            file.properties.push_back(p);
        }
    }
    if (file.body.size() != file.count * file.recordSize)
        throw std::runtime_error(path.string() + ": the body is not " + std::to_string(file.count) + " records");
    return file;
}

} // namespace plix::testing
