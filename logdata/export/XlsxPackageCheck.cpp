#include "XlsxPackageCheck.h"

#include "ExportError.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace Sondrel {

namespace {

constexpr std::uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr std::uint32_t kDirectoryEntrySignature = 0x02014b50;
constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::size_t kEndOfDirectorySize = 22;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kLongestZipComment = 65535;
// The beginning and the end of a part that the XML check looks at.
constexpr std::size_t kKeptBytes = 512;

[[noreturn]] void Incomplete(const std::string& what) {
    throw EExportError("the workbook was not written completely (" + what + ")");
}

// Little-endian fields of the package, bounds checked.
class TBytes {
public:
    explicit TBytes(const std::vector<unsigned char>& data) : FData(data) {}

    std::uint32_t U16(std::size_t at) const {
        Need(at, 2);
        return FData[at] | (std::uint32_t{FData[at + 1]} << 8);
    }
    std::uint32_t U32(std::size_t at) const { return U16(at) | (U16(at + 2) << 16); }
    std::string Text(std::size_t at, std::size_t size) const {
        Need(at, size);
        return std::string(FData.begin() + static_cast<std::ptrdiff_t>(at),
                           FData.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    void Need(std::size_t at, std::size_t size) const {
        if (at > FData.size() || size > FData.size() - at) {
            Incomplete("the zip directory points past the end of the file");
        }
    }
    const unsigned char* At(std::size_t at) const { return FData.data() + at; }
    std::size_t Size() const { return FData.size(); }

private:
    const std::vector<unsigned char>& FData;
};

struct TEntry {
    std::string Name;
    std::uint32_t Method = 0;
    std::uint32_t Crc = 0;
    std::size_t CompressedSize = 0;
    std::size_t Size = 0;
    std::size_t LocalHeader = 0;
};

// The uncompressed part's size, CRC-32 and its first and last bytes.
struct TPart {
    std::size_t Size = 0;
    std::uint32_t Crc = 0;
    std::string Head;
    std::string Tail;

    void Add(const unsigned char* data, std::size_t size) {
        Crc = static_cast<std::uint32_t>(crc32(Crc, data, static_cast<uInt>(size)));
        Size += size;
        const std::string_view chunk(reinterpret_cast<const char*>(data), size);
        if (Head.size() < kKeptBytes) {
            Head.append(chunk.substr(0, kKeptBytes - Head.size()));
        }
        Tail.append(chunk.substr(chunk.size() > kKeptBytes ? chunk.size() - kKeptBytes : 0));
        if (Tail.size() > kKeptBytes) {
            Tail.erase(0, Tail.size() - kKeptBytes);
        }
    }
};

std::size_t FindEndOfDirectory(const TBytes& bytes) {
    if (bytes.Size() < kEndOfDirectorySize) {
        Incomplete("no zip directory");
    }
    const std::size_t last = bytes.Size() - kEndOfDirectorySize;
    const std::size_t first = last > kLongestZipComment ? last - kLongestZipComment : 0;
    for (std::size_t at = last + 1; at-- > first;) {
        if (bytes.U32(at) == kEndOfDirectorySignature) {
            return at;
        }
    }
    Incomplete("no zip directory");
}

std::vector<TEntry> ReadDirectory(const TBytes& bytes) {
    const std::size_t end = FindEndOfDirectory(bytes);
    const std::size_t count = bytes.U16(end + 10);
    std::size_t at = bytes.U32(end + 16);
    std::vector<TEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes.U32(at) != kDirectoryEntrySignature) {
            Incomplete("a damaged zip directory");
        }
        TEntry entry;
        entry.Method = bytes.U16(at + 10);
        entry.Crc = bytes.U32(at + 16);
        entry.CompressedSize = bytes.U32(at + 20);
        entry.Size = bytes.U32(at + 24);
        const std::size_t nameSize = bytes.U16(at + 28);
        entry.LocalHeader = bytes.U32(at + 42);
        entry.Name = bytes.Text(at + kDirectoryEntrySize, nameSize);
        at += kDirectoryEntrySize + nameSize + bytes.U16(at + 30) + bytes.U16(at + 32);
        entries.push_back(std::move(entry));
    }
    if (entries.empty()) {
        Incomplete("an empty zip package");
    }
    return entries;
}

TPart Inflate(const TBytes& bytes, const TEntry& entry) {
    const std::size_t header = entry.LocalHeader;
    if (bytes.U32(header) != kLocalHeaderSignature) {
        Incomplete(entry.Name + ": a damaged zip entry");
    }
    const std::size_t dataAt =
        header + kLocalHeaderSize + bytes.U16(header + 26) + bytes.U16(header + 28);
    bytes.Need(dataAt, entry.CompressedSize);
    TPart part;
    if (entry.Method == 0) {
        part.Add(bytes.At(dataAt), entry.CompressedSize);
        return part;
    }
    if (entry.Method != Z_DEFLATED) {
        Incomplete(entry.Name + ": an unknown compression");
    }
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        throw EExportError("the workbook could not be checked (zlib)");
    }
    stream.next_in = const_cast<Bytef*>(bytes.At(dataAt));
    stream.avail_in = static_cast<uInt>(entry.CompressedSize);
    std::array<unsigned char, 64 * 1024> out{};
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        result = inflate(&stream, Z_NO_FLUSH);
        part.Add(out.data(), out.size() - stream.avail_out);
        if (result == Z_BUF_ERROR && stream.avail_in == 0) {
            break; // the data ended before the deflate stream did
        }
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END) {
        Incomplete(entry.Name + ": a damaged compressed entry");
    }
    return part;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The part ends with its root element: "</root>", or the root is a single empty element.
bool XmlIsComplete(const TPart& part) {
    std::size_t at = 0;
    const std::string& head = part.Head;
    while ((at = head.find('<', at)) != std::string::npos && at + 1 < head.size() &&
           (head[at + 1] == '?' || head[at + 1] == '!')) {
        ++at;
    }
    if (at == std::string::npos) {
        return false;
    }
    const std::size_t nameEnd = head.find_first_of(" \t\r\n/>", at + 1);
    if (nameEnd == std::string::npos) {
        return false;
    }
    const std::string root = head.substr(at + 1, nameEnd - at - 1);
    std::string_view tail = part.Tail;
    while (!tail.empty() && std::string_view(" \t\r\n").find(tail.back()) != std::string::npos) {
        tail.remove_suffix(1);
    }
    const bool emptyRoot =
        part.Size <= kKeptBytes && head.find('>', at) + 1 == tail.size() && EndsWith(tail, "/>");
    return !root.empty() && (EndsWith(tail, "</" + root + ">") || emptyRoot);
}

} // namespace

void CheckXlsxPackage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Incomplete("the file could not be read back");
    }
    const std::vector<unsigned char> data{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    const TBytes bytes(data);
    for (const TEntry& entry : ReadDirectory(bytes)) {
        const TPart part = Inflate(bytes, entry);
        if (part.Size != entry.Size || part.Crc != entry.Crc) {
            Incomplete(entry.Name + ": its size or checksum does not match");
        }
        const bool xml = EndsWith(entry.Name, ".xml") || EndsWith(entry.Name, ".rels");
        if (xml && !XmlIsComplete(part)) {
            Incomplete(entry.Name + " is cut short");
        }
    }
}

} // namespace Sondrel
