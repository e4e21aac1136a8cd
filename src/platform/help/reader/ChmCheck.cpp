#include "platform/help/reader/ChmCheck.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace ChmCheck {

namespace {

constexpr uint64_t ItsfV2Length = 0x58;
constexpr uint64_t ItsfV3Length = 0x60;
constexpr uint64_t ItspLength = 0x54;
constexpr uint64_t PmglHeaderLength = 0x14;
constexpr uint64_t PmgiHeaderLength = 0x08;
constexpr uint64_t MaxPathLength = 512;
// chmlib reads every directory chunk into a buffer of this size.
constexpr uint32_t MaxChunkLength = 1 << 20;
// chmlib's buffer for one compressed block is the block length and this much more.
constexpr uint64_t CompressedSlack = 6144;
constexpr uint64_t ResetTableLength = 0x28;
constexpr uint64_t ControlDataMinLength = 0x18;
// chmlib reads the control data into a buffer of this size and refuses more.
constexpr uint64_t ControlDataMaxLength = 256;

constexpr const char* ResetTablePath = "::DataSpace/Storage/MSCompressed/Transform/"
                                       "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
constexpr const char* ControlDataPath = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr const char* ContentPath = "::DataSpace/Storage/MSCompressed/Content";

struct Refusal {
    Verdict verdict;
    std::string why;
};

[[noreturn]] void Damaged(const std::string& why) { throw Refusal{Verdict::Damaged, why}; }

struct Entry {
    std::string path;
    uint64_t space = 0;
    uint64_t start = 0;
    uint64_t length = 0;
};

// A directory chunk as chmlib reads it: a leaf (PMGL) with its entries and the next leaf, or an
// index chunk (PMGI) with the first path and the chunk of each branch.
struct Chunk {
    bool leaf = false;
    std::vector<Entry> entries;
    std::vector<std::pair<std::string, int32_t>> branches;
    int32_t next = -1;
};

// a + b <= limit without overflow.
bool FitsIn(uint64_t a, uint64_t b, uint64_t limit) { return a <= limit && b <= limit - a; }

int CompareNoCase(const std::string& a, const std::string& b) {
    // chmlib compares with strcasecmp, which stops at a zero byte; paths hold none (checked).
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] + 32 : static_cast<unsigned char>(a[i]);
        const int y = (b[i] >= 'A' && b[i] <= 'Z') ? b[i] + 32 : static_cast<unsigned char>(b[i]);
        if (x != y)
            return x - y;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

class Checker {
public:
    Checker(const uint8_t* data, uint64_t size) : m_data(data), m_size(size) {}

    void Run() {
        ReadHeaders();
        WalkLeafChain();
        CheckCompression();
        CheckObjectLengths();
    }

private:
    uint64_t U(uint64_t at, int bytes) const {
        if (!FitsIn(at, uint64_t(bytes), m_size))
            Damaged("a header at byte " + std::to_string(at) + " runs past the end of the file");
        uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | m_data[at + uint64_t(i)];
        return value;
    }
    uint32_t U32(uint64_t at) const { return uint32_t(U(at, 4)); }
    int32_t I32(uint64_t at) const { return int32_t(U32(at)); }
    uint64_t U64(uint64_t at) const { return U(at, 8); }

    void ReadHeaders() {
        // chmlib reads the longer header whatever the version says.
        if (m_size < ItsfV3Length || U32(0) != 0x46535449) // "ITSF"
            throw Refusal{Verdict::NotHelpFile, "no ITSF header"};
        const int32_t version = I32(4);
        const int32_t headerLength = I32(8);
        if ((version != 2 && version != 3) ||
            headerLength < int32_t(version == 2 ? ItsfV2Length : ItsfV3Length))
            throw Refusal{Verdict::NotHelpFile, "ITSF version " + std::to_string(version) + " is unknown"};
        const uint64_t dirOffset = U64(0x48);
        const uint64_t dirLength = U64(0x50);
        m_dataOffset = version == 3 ? U64(0x58) : dirOffset + dirLength;

        if (!FitsIn(dirOffset, ItspLength, m_size))
            Damaged("the directory header lies past the end of the file");
        if (U32(dirOffset) != 0x50535449 || I32(dirOffset + 4) != 1 ||
            I32(dirOffset + 8) != int32_t(ItspLength))
            Damaged("the directory header (ITSP) is not one");
        m_chunkLength = U32(dirOffset + 0x10);
        if (m_chunkLength < PmglHeaderLength + 2 || m_chunkLength > MaxChunkLength)
            Damaged("the directory chunk length " + std::to_string(m_chunkLength) + " is impossible");
        m_root = I32(dirOffset + 0x1c);
        m_head = I32(dirOffset + 0x20);
        if (m_root <= -1)
            m_root = m_head;
        m_chunksStart = dirOffset + ItspLength;
        m_chunkCount = (m_size - m_chunksStart) / m_chunkLength;
    }

    bool InRange(int32_t chunk) const { return chunk >= 0 && uint64_t(chunk) < m_chunkCount; }

    // A compressed number as chmlib reads it, which must end before end.
    static uint64_t Cword(const uint8_t*& at, const uint8_t* end) {
        uint64_t value = 0;
        for (;;) {
            if (at >= end)
                Damaged("a directory entry runs past the end of its chunk");
            const uint8_t byte = *at++;
            if (byte < 0x80)
                return (value << 7) + byte;
            value = (value << 7) + (byte & 0x7f);
        }
    }

    static std::string Path(const uint8_t*& at, const uint8_t* end, bool leaf) {
        const uint64_t length = Cword(at, end);
        // A leaf entry with an empty path makes chmlib index before its buffer.
        if (length > MaxPathLength || (leaf && length == 0) || length > uint64_t(end - at))
            Damaged("a directory entry has a path of impossible length");
        std::string path(reinterpret_cast<const char*>(at), size_t(length));
        if (path.find('\0') != std::string::npos)
            Damaged("a directory entry's path holds a zero byte");
        at += length;
        return path;
    }

    const Chunk& ReadChunk(int32_t number) {
        const auto known = m_chunks.find(number);
        if (known != m_chunks.end())
            return known->second;
        const uint8_t* begin = m_data + m_chunksStart + uint64_t(number) * m_chunkLength;
        const uint32_t freeSpace = U32(m_chunksStart + uint64_t(number) * m_chunkLength + 4);
        Chunk chunk;
        chunk.leaf = begin[0] == 'P' && begin[1] == 'M' && begin[2] == 'G' && begin[3] == 'L';
        const bool index = begin[0] == 'P' && begin[1] == 'M' && begin[2] == 'G' && begin[3] == 'I';
        if (!chunk.leaf && !index)
            Damaged("directory chunk " + std::to_string(number) + " is neither a leaf nor an index");
        const uint64_t headerLength = chunk.leaf ? PmglHeaderLength : PmgiHeaderLength;
        if (freeSpace > m_chunkLength - headerLength)
            Damaged("directory chunk " + std::to_string(number) + " claims more free space than it has");
        const uint8_t* at = begin + headerLength;
        const uint8_t* end = begin + m_chunkLength - freeSpace;
        if (chunk.leaf) {
            chunk.next = I32(m_chunksStart + uint64_t(number) * m_chunkLength + 0x10);
            while (at < end) {
                Entry entry;
                entry.path = Path(at, end, true);
                entry.space = Cword(at, end);
                entry.start = Cword(at, end);
                entry.length = Cword(at, end);
                chunk.entries.push_back(std::move(entry));
            }
        } else {
            while (at < end) {
                std::string path = Path(at, end, false);
                chunk.branches.emplace_back(std::move(path), int32_t(Cword(at, end)));
            }
        }
        return m_chunks.emplace(number, std::move(chunk)).first->second;
    }

    // chm_enumerate follows the leaves from the head without a limit.
    void WalkLeafChain() {
        std::set<int32_t> visited;
        for (int32_t chunk = m_head; chunk != -1;) {
            if (!InRange(chunk))
                Damaged("a directory chain leads to chunk " + std::to_string(chunk) +
                        ", which does not exist");
            if (!visited.insert(chunk).second)
                Damaged("the directory chain returns to chunk " + std::to_string(chunk));
            const Chunk& read = ReadChunk(chunk);
            if (!read.leaf)
                Damaged("the directory chain leads to index chunk " + std::to_string(chunk));
            for (const Entry& entry : read.entries)
                m_entries.push_back(entry);
            chunk = read.next;
        }
    }

    // chm_resolve_object, step for step: from the root through index chunks to a leaf.
    std::optional<Entry> Resolve(const std::string& path) {
        std::set<int32_t> visited;
        for (int32_t chunk = m_root; chunk != -1;) {
            if (!InRange(chunk))
                return std::nullopt; // chmlib cannot read it and gives up
            if (!visited.insert(chunk).second)
                Damaged("the directory index returns to chunk " + std::to_string(chunk));
            const Chunk& read = ReadChunk(chunk);
            if (read.leaf) {
                for (const Entry& entry : read.entries)
                    if (CompareNoCase(entry.path, path) == 0)
                        return entry;
                return std::nullopt;
            }
            int32_t branch = -1;
            for (const auto& [first, target] : read.branches) {
                if (CompareNoCase(first, path) > 0)
                    break;
                branch = target;
            }
            chunk = branch;
        }
        return std::nullopt;
    }

    // chm_open reads the reset table and the LZX control data and divides by what they say.
    void CheckCompression() {
        const std::optional<Entry> resetTable = Resolve(ResetTablePath);
        const std::optional<Entry> content = Resolve(ContentPath);
        const std::optional<Entry> control = Resolve(ControlDataPath);
        if (!resetTable || resetTable->space != 0 || !content || content->space != 0 || !control ||
            control->space != 0)
            return; // chmlib reads nothing compressed
        CheckUncompressed(*resetTable);
        CheckUncompressed(*content);
        CheckUncompressed(*control);
        if (resetTable->length < ResetTableLength || U32(Where(*resetTable)) != 2)
            return; // chmlib turns compression off
        if (control->length > ControlDataMaxLength)
            return; // chm_open fails
        CheckControlData(*control);
        CheckResetTable(*resetTable, *content);
        m_compressed = true;
    }

    uint64_t Where(const Entry& entry) const { return m_dataOffset + entry.start; }

    void CheckControlData(const Entry& control) {
        if (control.length < ControlDataMinLength)
            Damaged("the LZX control data is too short");
        const uint64_t at = Where(control);
        if (U32(at + 4) != 0x43585a4c) // "LZXC"
            Damaged("the LZX control data has no LZXC signature");
        const uint32_t version = U32(at + 8);
        uint32_t resetInterval = U32(at + 0x0c);
        uint32_t windowSize = U32(at + 0x10);
        const uint32_t windowsPerReset = U32(at + 0x14);
        if (version == 2) {
            // chmlib multiplies in 32 bits.
            resetInterval *= 0x8000u;
            windowSize *= 0x8000u;
        }
        // The LZX decoder knows windows of 2^15 to 2^21 bytes; chmlib does not look at its answer.
        if (windowSize < (1u << 15) || windowSize > (1u << 21) || (windowSize & (windowSize - 1)) != 0)
            Damaged("the LZX window size " + std::to_string(windowSize) + " is impossible");
        if (resetInterval == 0 || resetInterval % (windowSize / 2) != 0)
            Damaged("the LZX reset interval " + std::to_string(resetInterval) + " is impossible");
        const uint32_t resetBlocks = resetInterval / (windowSize / 2) * windowsPerReset;
        if (resetBlocks == 0)
            Damaged("the LZX control data gives no blocks between resets");
        m_windowSize = windowSize;
    }

    void CheckResetTable(const Entry& resetTable, const Entry& content) {
        const uint64_t at = Where(resetTable);
        const uint64_t blockCount = U32(at + 4);
        const uint64_t tableOffset = U32(at + 0x0c);
        const uint64_t uncompressedLength = U64(at + 0x10);
        const uint64_t compressedLength = U64(at + 0x18);
        m_blockLength = U64(at + 0x20);
        if (m_blockLength == 0 || m_blockLength > m_windowSize)
            Damaged("the reset table's block length " + std::to_string(m_blockLength) + " is impossible");
        if (blockCount == 0 || !FitsIn(tableOffset, blockCount * 8, resetTable.length))
            Damaged("the reset table's " + std::to_string(blockCount) + " blocks do not fit in it");
        if (compressedLength > content.length)
            Damaged("the compressed data is longer than its section");
        uint64_t previous = 0;
        for (uint64_t block = 0; block < blockCount; ++block) {
            const uint64_t start = U64(at + tableOffset + block * 8);
            const uint64_t end =
                block + 1 < blockCount ? U64(at + tableOffset + block * 8 + 8) : compressedLength;
            if (start < previous || end < start || end > compressedLength ||
                end - start > m_blockLength + CompressedSlack)
                Damaged("compressed block " + std::to_string(block) + " has impossible bounds");
            previous = start;
        }
        m_uncompressedLimit = std::min(uncompressedLength, blockCount * m_blockLength);
    }

    void CheckUncompressed(const Entry& entry) const {
        if (!FitsIn(m_dataOffset, entry.start, m_size) ||
            !FitsIn(m_dataOffset + entry.start, entry.length, m_size))
            Damaged("the object " + entry.path + " runs past the end of the file");
    }

    void CheckObjectLengths() const {
        for (const Entry& entry : m_entries) {
            if (entry.space == 0) {
                CheckUncompressed(entry);
            } else if (entry.length > 0 &&
                       (!m_compressed || !FitsIn(entry.start, entry.length, m_uncompressedLimit))) {
                Damaged("the compressed object " + entry.path + " runs past the end of its section");
            }
        }
    }

    const uint8_t* m_data;
    uint64_t m_size;
    uint64_t m_dataOffset = 0;
    uint32_t m_chunkLength = 0;
    uint64_t m_chunksStart = 0;
    uint64_t m_chunkCount = 0;
    int32_t m_root = -1;
    int32_t m_head = -1;
    std::map<int32_t, Chunk> m_chunks;
    std::vector<Entry> m_entries;
    bool m_compressed = false;
    uint32_t m_windowSize = 0;
    uint64_t m_blockLength = 0;
    uint64_t m_uncompressedLimit = 0;
};

} // namespace

Result Check(const uint8_t* data, uint64_t size) {
    try {
        Checker(data, size).Run();
        return {};
    } catch (const Refusal& refusal) {
        return {refusal.verdict, refusal.why};
    }
}

} // namespace ChmCheck
