// ckparam: prints packet images as JSON, builds them back from JSON and prints their checksums.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "PacketJson.h"

namespace {

constexpr std::string_view kUsage = R"(usage: ckparam decode FILE|-
       ckparam encode [FILE|-]
       ckparam crc FILE|-
       ckparam --help

A packet image is the bytes of a CKParam packet: GetLength() bytes from GetBufferPtr().

  decode  check an image and print it as JSON: the header words, each record's id, tag,
          length and value (numbers, booleans and texts as such, other values as "hex")
          and the checksum. An image that does not restore, or whose records do not fill
          it exactly, is reported with the byte offset at fault.
  encode  build an image from that JSON and write it to standard output. Header words
          that are given are written as given; "length", "count" and "size" may be left
          out, and so may a record's "length". "crc" is not read.
  crc     check an image and print its checksum.

FILE - (and encode without FILE) reads standard input.
Exit status: 0 done, 1 the input is not a valid image or JSON, 2 bad arguments.
)";

constexpr int kInvalidInput = 1;
constexpr int kBadArguments = 2;

std::string ReadInput(const std::string& path) {
    if (path == "-") {
        std::cin >> std::noskipws;
        return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error(std::strerror(errno));
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int Run(const std::string& command, const std::string& path) {
    const std::string input = ReadInput(path);
    if (command == "decode") {
        std::cout << ckparam::FormatDecoded(ckparam::DecodeImage(input));
    } else if (command == "crc") {
        std::cout << ckparam::DecodeImage(input)["crc"].get<std::string>() << '\n';
    } else {
        const std::string image = ckparam::EncodeImage(nlohmann::json::parse(input));
        std::cout.write(image.data(), static_cast<std::streamsize>(image.size()));
    }
    std::cout.flush();
    if (!std::cout) {
        throw std::runtime_error("cannot write the output");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    const bool readsFile = !args.empty() && (args[0] == "decode" || args[0] == "crc") && args.size() == 2;
    const bool encodes = !args.empty() && args[0] == "encode" && args.size() <= 2;
    if (!readsFile && !encodes) {
        std::cerr << "ckparam: bad arguments\n" << kUsage;
        return kBadArguments;
    }
    const std::string path = args.size() == 2 ? args[1] : "-";
    const std::string name = path == "-" ? "standard input" : path;
    try {
        return Run(args[0], path);
    } catch (const ckparam::ImageError& error) {
        std::cerr << "ckparam: " << name << ": invalid packet image at byte offset " << error.Offset() << ": "
                  << error.what() << '\n';
    } catch (const nlohmann::json::exception& error) {
        std::cerr << "ckparam: " << name << ": invalid JSON: " << error.what() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "ckparam: " << name << ": " << error.what() << '\n';
    }
    return kInvalidInput;
}
