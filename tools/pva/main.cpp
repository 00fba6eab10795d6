// pva - the archive packer of Pavex.
//
//   pva pack DIR ARCHIVE [--key K]      pack the tree under DIR (LZ where it pays)
//   pva list ARCHIVE [--key K]          one line per file: path, size, how it is stored
//   pva extract ARCHIVE DIR [--key K]   write every file of the archive under DIR
//
// Exit codes: 0 done, 1 the work failed (a message names the file), 2 bad arguments.
// File names are UTF-8 on disk and Shift-JIS inside the archive. The archive is
// written to a temporary name and renamed into place, so a failed pack leaves no
// half archive behind. The format itself lives in media/file/pva_format.cpp.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "media/file/pva_format.h"
#include "media/platform/plat_file.h"
#include "media/platform/plat_system.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxDepth = 256;

void Usage() {
    fprintf(stderr,
            "usage: pva pack DIR ARCHIVE [--key K]\n"
            "       pva list ARCHIVE [--key K]\n"
            "       pva extract ARCHIVE DIR [--key K]\n");
}

int Fail(const std::string& message) {
    fprintf(stderr, "pva: %s\n", message.c_str());
    return kExitFailure;
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string ToShiftJis(const std::string& utf8) {
    std::vector<char> out(utf8.size() * 2 + 4);
    const size_t n = PlatUtf8ToShiftJis(utf8.c_str(), out.data(), out.size());
    return std::string(out.data(), n);
}

std::string ToUtf8(const std::string& sjis) {
    std::vector<char> out(sjis.size() * 3 + 4);
    const size_t n = PlatShiftJisToUtf8(sjis.data(), sjis.size(), out.data(), out.size());
    return std::string(out.data(), n);
}

// ---- pack ----------------------------------------------------------------------------

struct Node {
    std::string name;  // UTF-8
    std::string sjis;  // the name stored in the archive
    fs::path source;
    bool directory = false;
    std::vector<Node> children;
    uint32_t fileEntry = kPvaNone;  // offset of its file entry
    uint32_t dirRecord = 0;         // a directory: offset of its record
    uint32_t nameOffset = 0;
    uint32_t dataOffset = 0, size = 0, compressedSize = kPvaStored;
};

// Reads the tree under `dir` into `node`, sorted by name. Refuses names without a
// Shift-JIS form and names that differ only in ASCII case.
bool ScanTree(const fs::path& dir, Node& node, const fs::path& skip, int depth,
              std::string& error) {
    if (depth > kMaxDepth) {
        error = dir.string() + ": folders nested too deep";
        return false;
    }
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        error = dir.string() + ": cannot read the folder (" + ec.message() + ")";
        return false;
    }
    for (const auto& entry : it) entries.push_back(entry);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    std::set<std::string> searchForms;
    for (const auto& entry : entries) {
        const fs::path path = entry.path();
        if (!skip.empty() && fs::equivalent(path, skip, ec)) continue;
        Node child;
        child.name = path.filename().string();
        child.source = path;
        const fs::file_status status = fs::status(path, ec);
        if (ec) {
            error = path.string() + ": cannot read (" + ec.message() + ")";
            return false;
        }
        if (fs::is_directory(status) && !fs::is_symlink(entry.symlink_status(ec))) {
            child.directory = true;
        } else if (!fs::is_regular_file(status)) {
            fprintf(stderr, "pva: %s: not a regular file, skipped\n", path.string().c_str());
            continue;
        }
        child.sjis = ToShiftJis(child.name);
        if (ToUtf8(child.sjis) != child.name) {
            error = path.string() + ": the file name has no Shift-JIS form";
            return false;
        }
        uint8_t form[kPvaMaxNameBytes + 4];
        uint16_t sum;
        const int units =
            PvaSearchForm(child.sjis.data(), child.sjis.size(), form, sizeof(form), &sum);
        if (units == 0) {
            error = path.string() + ": the file name is too long";
            return false;
        }
        if (!searchForms.insert(std::string(reinterpret_cast<char*>(form), units * 4)).second) {
            error = path.string() + ": another name in this folder differs only in letter case";
            return false;
        }
        if (child.directory && !ScanTree(path, child, skip, depth + 1, error)) return false;
        node.children.push_back(std::move(child));
    }
    return true;
}

bool ReadWholeFile(const fs::path& path, std::vector<uint8_t>& out, std::string& error) {
    uint64_t size = 0;
    const int file = PlatFileOpenRead(path.c_str(), &size);
    if (file < 0) {
        error = path.string() + ": cannot open the file";
        return false;
    }
    bool ok = size <= 0xFFFFFFFFu;
    if (ok) {
        out.resize(static_cast<size_t>(size));
        ok = PlatFileReadAt(file, 0, out.data(), out.size()) == static_cast<int64_t>(size);
    }
    PlatFileClose(file);
    if (!ok) error = path.string() + ": cannot read the file (or it is 4 GB or larger)";
    return ok;
}

class Writer {
public:
    explicit Writer(FILE* file, const uint8_t* key) : file_(file), key_(key) {}
    bool Write(std::vector<uint8_t>& bytes) {  // enciphers in place, then writes
        PvaCipher(bytes.data(), bytes.size(), position_, key_);
        if (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            return false;
        position_ += bytes.size();
        return true;
    }
    uint64_t position() const { return position_; }

private:
    FILE* file_;
    const uint8_t* key_;
    uint64_t position_ = 0;
};

// Writes the data of every file below `node`, depth first.
bool WriteData(Node& node, Writer& writer, void* work, std::string& error) {
    for (Node& child : node.children) {
        if (child.directory) {
            if (!WriteData(child, writer, work, error)) return false;
            continue;
        }
        std::vector<uint8_t> data;
        if (!ReadWholeFile(child.source, data, error)) return false;
        const uint64_t offset = writer.position() - kPvaHeaderSize;
        if (offset + data.size() > 0xFFFFFFFFu) {
            error = child.source.string() + ": the archive would reach 4 GB";
            return false;
        }
        child.dataOffset = static_cast<uint32_t>(offset);
        child.size = static_cast<uint32_t>(data.size());
        child.compressedSize = kPvaStored;
        if (data.size() > kPvaLzHeaderSize) {
            std::vector<uint8_t> packed(data.size() - 1);
            const size_t n =
                PvaLzEncode(data.data(), data.size(), packed.data(), packed.size(), work);
            if (n > 0) {
                packed.resize(n);
                data.swap(packed);
                child.compressedSize = static_cast<uint32_t>(n);
            }
        }
        if (!writer.Write(data)) {
            error = "cannot write the archive";
            return false;
        }
    }
    return true;
}

// Builds the header block: names, then the file table, then the directory table.
std::vector<uint8_t> BuildBlock(Node& root, uint32_t* fileTableOffset, uint32_t* dirTableOffset) {
    std::vector<Node*> dirs{&root};  // breadth first: every directory's entries contiguous
    for (size_t i = 0; i < dirs.size(); ++i) {
        for (Node& child : dirs[i]->children) {
            if (child.directory) dirs.push_back(&child);
        }
    }
    std::vector<uint8_t> names;
    auto addName = [&](Node& node) {
        uint8_t form[kPvaMaxNameBytes + 4];
        uint16_t sum = 0;
        const int units =
            PvaSearchForm(node.sjis.data(), node.sjis.size(), form, sizeof(form), &sum);
        node.nameOffset = static_cast<uint32_t>(names.size());
        const size_t at = names.size();
        names.resize(at + 4 + static_cast<size_t>(units) * 8, 0);
        names[at] = static_cast<uint8_t>(units);
        names[at + 1] = static_cast<uint8_t>(units >> 8);
        names[at + 2] = static_cast<uint8_t>(sum);
        names[at + 3] = static_cast<uint8_t>(sum >> 8);
        memcpy(&names[at + 4], form, static_cast<size_t>(units) * 4);
        memcpy(&names[at + 4 + static_cast<size_t>(units) * 4], node.sjis.data(), node.sjis.size());
    };
    size_t fileCount = 0;
    for (Node* dir : dirs) {
        for (Node& child : dir->children) {
            addName(child);
            ++fileCount;
        }
    }
    const uint32_t fileTable = static_cast<uint32_t>(names.size());
    const uint32_t dirTable = static_cast<uint32_t>(fileTable + fileCount * kPvaFileEntrySize);
    // Entry and record offsets, then the bytes.
    uint32_t nextEntry = fileTable;
    for (size_t i = 0; i < dirs.size(); ++i) {
        dirs[i]->dirRecord = static_cast<uint32_t>(dirTable + i * kPvaDirEntrySize);
    }
    std::vector<uint8_t> block(dirTable + dirs.size() * kPvaDirEntrySize, 0);
    memcpy(block.data(), names.data(), names.size());
    std::vector<uint32_t> firstEntry(dirs.size());
    for (size_t i = 0; i < dirs.size(); ++i) {
        firstEntry[i] = nextEntry;
        for (Node& child : dirs[i]->children) {
            child.fileEntry = nextEntry;
            Put32(block, nextEntry, child.nameOffset);
            Put32(block, nextEntry + 4, child.directory ? kPvaAttrDirectory : 0);
            Put32(block, nextEntry + 8, child.directory ? child.dirRecord : child.dataOffset);
            Put32(block, nextEntry + 12, child.directory ? 0 : child.size);
            Put32(block, nextEntry + 16, child.directory ? kPvaStored : child.compressedSize);
            nextEntry += kPvaFileEntrySize;
        }
    }
    std::vector<uint32_t> parentRecord(dirs.size(), kPvaNone);
    for (size_t i = 0; i < dirs.size(); ++i) {
        for (Node& child : dirs[i]->children) {
            if (!child.directory) continue;
            const size_t j = (child.dirRecord - dirTable) / kPvaDirEntrySize;
            parentRecord[j] = dirs[i]->dirRecord;
        }
    }
    for (size_t i = 0; i < dirs.size(); ++i) {
        const uint32_t at = dirs[i]->dirRecord;
        Put32(block, at, dirs[i]->fileEntry);
        Put32(block, at + 4, parentRecord[i]);
        Put32(block, at + 8, static_cast<uint32_t>(dirs[i]->children.size()));
        Put32(block, at + 12, firstEntry[i]);
    }
    *fileTableOffset = fileTable;
    *dirTableOffset = dirTable;
    return block;
}

int Pack(const std::string& dir, const std::string& archive, const char* keyString) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return Fail(dir + ": not a folder");
    Node root;
    root.directory = true;
    std::string error;
    if (!ScanTree(dir, root, archive, 0, error)) return Fail(error);

    uint8_t key[kPvaKeySize];
    PvaMakeKey(keyString, key);
    const std::string temporary = archive + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) return Fail(temporary + ": cannot create the file");
    std::unique_ptr<uint8_t[]> work(new uint8_t[PvaLzWorkSize()]);
    Writer writer(file, key);
    std::vector<uint8_t> placeholder(kPvaHeaderSize, 0);
    bool ok = writer.Write(placeholder) && WriteData(root, writer, work.get(), error);
    if (ok) {
        PvaHeader header{};
        header.version = kPvaVersion;
        header.dataStart = kPvaHeaderSize;
        std::vector<uint8_t> block =
            BuildBlock(root, &header.fileTableOffset, &header.dirTableOffset);
        if (writer.position() + block.size() > 0xFFFFFFFFu) {
            ok = false;
            error = archive + ": the archive would reach 4 GB";
        } else {
            header.headerBlockPos = static_cast<uint32_t>(writer.position());
            header.headerBlockSize = static_cast<uint32_t>(block.size());
            std::vector<uint8_t> head(kPvaHeaderSize);
            PvaWriteHeader(header, head.data());
            PvaCipher(head.data(), head.size(), 0, key);
            ok = writer.Write(block) && fseek(file, 0, SEEK_SET) == 0 &&
                 fwrite(head.data(), 1, head.size(), file) == head.size();
            if (!ok) error = temporary + ": cannot write the archive";
        }
    }
    if (fclose(file) != 0 && ok) {
        ok = false;
        error = temporary + ": cannot write the archive";
    }
    if (ok) {
        fs::rename(temporary, archive, ec);
        if (ec) {
            ok = false;
            error = archive + ": cannot move the archive into place (" + ec.message() + ")";
        }
    }
    if (!ok) {
        fs::remove(temporary, ec);
        return Fail(error);
    }
    return kExitOk;
}

// ---- list and extract --------------------------------------------------------------

struct OpenedArchive {
    int file = -1;
    uint64_t fileSize = 0;
    uint8_t key[kPvaKeySize];
    PvaHeader header{};
    std::vector<uint8_t> block;
    ~OpenedArchive() { PlatFileClose(file); }
};

bool OpenArchiveFile(const std::string& path, const char* keyString, OpenedArchive& a,
                     std::string& error) {
    a.file = PlatFileOpenRead(path.c_str(), &a.fileSize);
    if (a.file < 0) {
        error = path + ": cannot open the file";
        return false;
    }
    uint8_t raw[kPvaHeaderSize];
    if (a.fileSize < static_cast<uint64_t>(kPvaHeaderSize) ||
        PlatFileReadAt(a.file, 0, raw, kPvaHeaderSize) != kPvaHeaderSize) {
        error = path + ": too short to be an archive";
        return false;
    }
    bool found = false;
    for (int attempt = 0; attempt < 2 && !found; ++attempt) {
        if (attempt == 0)
            PvaMakeKey(keyString, a.key);
        else
            PvaMakeFallbackKey(a.key);
        uint8_t copy[kPvaHeaderSize];
        memcpy(copy, raw, sizeof(copy));
        PvaCipher(copy, sizeof(copy), 0, a.key);
        found = PvaReadHeader(copy, &a.header) == 0;
    }
    if (!found) {
        error = path + ": not an archive, or the key is wrong";
        return false;
    }
    if (PvaCheckLayout(a.header, a.fileSize) != 0) {
        error = path + ": the archive's tables lie outside the file";
        return false;
    }
    a.block.resize(a.header.headerBlockSize);
    if (PlatFileReadAt(a.file, a.header.headerBlockPos, a.block.data(), a.block.size()) !=
        static_cast<int64_t>(a.block.size())) {
        error = path + ": cannot read the archive's tables";
        return false;
    }
    PvaCipher(a.block.data(), a.block.size(), a.header.headerBlockPos, a.key);
    return true;
}

// A name from the archive that is safe to create inside the target folder.
bool SafeName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == '/' || c == '\\') return false;
    }
    return true;
}

bool ReadEntry(const OpenedArchive& a, const PvaFileEntry& entry, std::vector<uint8_t>& out) {
    const uint64_t start = static_cast<uint64_t>(a.header.dataStart) + entry.dataOffset;
    const bool stored = entry.compressedSize == kPvaStored;
    const uint64_t length = stored ? entry.size : entry.compressedSize;
    if (start + length > a.fileSize) return false;
    std::vector<uint8_t> raw(static_cast<size_t>(length));
    if (PlatFileReadAt(a.file, start, raw.data(), raw.size()) != static_cast<int64_t>(raw.size()))
        return false;
    PvaCipher(raw.data(), raw.size(), start, a.key);
    if (stored) {
        out.swap(raw);
        return true;
    }
    uint32_t decompressed, compressed;
    if (PvaLzReadHeader(raw.data(), raw.size(), &decompressed, &compressed) != 0 ||
        compressed != raw.size() || decompressed != entry.size)
        return false;
    out.resize(entry.size);
    return PvaLzDecode(raw.data(), raw.size(), out.data(), out.size()) == 0;
}

struct Walk {
    const OpenedArchive& archive;
    bool extract;
    fs::path target;
    std::set<uint32_t> visited;  // a damaged table must not send the walk round in circles
    std::string error;
};

bool WalkDirectory(Walk& walk, uint32_t dirOffset, const std::string& prefix, int depth) {
    const OpenedArchive& a = walk.archive;
    PvaDirEntry dir;
    if (depth > kMaxDepth || !walk.visited.insert(dirOffset).second ||
        PvaGetDirEntry(a.block.data(), a.header, dirOffset, &dir) != 0) {
        walk.error = "the archive's directory table is damaged";
        return false;
    }
    for (uint64_t k = 0; k < dir.count; ++k) {
        const uint64_t offset = dir.firstOffset + k * kPvaFileEntrySize;
        PvaFileEntry entry;
        const uint8_t *search, *original;
        uint16_t units, sum;
        if (offset > 0xFFFFFFFFu ||
            PvaGetFileEntry(a.block.data(), a.header, static_cast<uint32_t>(offset), &entry) != 0 ||
            PvaGetName(a.block.data(), a.header, entry.nameOffset, &search, &original, &units,
                       &sum) != 0) {
            walk.error = "the archive's file table is damaged";
            return false;
        }
        const std::string sjis(reinterpret_cast<const char*>(original),
                               strnlen(reinterpret_cast<const char*>(original), units * 4u));
        const std::string name = ToUtf8(sjis);
        if (!SafeName(name)) {
            walk.error = "unsafe file name in the archive: \"" + name + "\"";
            return false;
        }
        const std::string path = prefix.empty() ? name : prefix + "/" + name;
        if (entry.attributes & kPvaAttrDirectory) {
            if (walk.extract) {
                std::error_code ec;
                fs::create_directories(walk.target / path, ec);
                if (ec) {
                    walk.error = (walk.target / path).string() + ": cannot create the folder";
                    return false;
                }
            }
            if (!WalkDirectory(walk, entry.dataOffset, path, depth + 1)) return false;
            continue;
        }
        if (!walk.extract) {
            if (entry.compressedSize == kPvaStored)
                printf("%s\t%u\tstored\n", path.c_str(), entry.size);
            else
                printf("%s\t%u\tlz %u\n", path.c_str(), entry.size, entry.compressedSize);
            continue;
        }
        std::vector<uint8_t> data;
        if (!ReadEntry(a, entry, data)) {
            walk.error = path + ": the entry's data is damaged";
            return false;
        }
        const fs::path out = walk.target / path;
        FILE* file = fopen(out.c_str(), "wb");
        bool ok = file != nullptr;
        if (ok) ok = data.empty() || fwrite(data.data(), 1, data.size(), file) == data.size();
        if (file && fclose(file) != 0) ok = false;
        if (!ok) {
            walk.error = out.string() + ": cannot write the file";
            return false;
        }
    }
    return true;
}

int ListOrExtract(const std::string& archive, const std::string* target, const char* keyString) {
    OpenedArchive a;
    std::string error;
    if (!OpenArchiveFile(archive, keyString, a, error)) return Fail(error);
    Walk walk{a, target != nullptr, target ? fs::path(*target) : fs::path(), {}, {}};
    if (target) {
        std::error_code ec;
        fs::create_directories(walk.target, ec);
        if (ec || !fs::is_directory(walk.target))
            return Fail(*target + ": cannot create the folder");
    }
    if (!WalkDirectory(walk, a.header.dirTableOffset, "", 0))
        return Fail(archive + ": " + walk.error);
    return kExitOk;
}

int Run(int argc, char** argv) {
    std::vector<std::string> positional;
    const char* key = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--key") == 0) {
            if (i + 1 >= argc || key) {
                Usage();
                return kExitUsage;
            }
            key = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            Usage();
            return kExitUsage;
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.empty()) {
        Usage();
        return kExitUsage;
    }
    const std::string& command = positional[0];
    if (command == "pack" && positional.size() == 3) return Pack(positional[1], positional[2], key);
    if (command == "list" && positional.size() == 2)
        return ListOrExtract(positional[1], nullptr, key);
    if (command == "extract" && positional.size() == 3)
        return ListOrExtract(positional[1], &positional[2], key);
    Usage();
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
