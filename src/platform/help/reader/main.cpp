// kx4chmread <file.chm>: the help reader. Checks the file, opens it through chmlib and writes every
// object on standard output in the form ChmStream.h describes. It runs as a child of the program,
// so that a damaged file that still makes chmlib fail can end only this process. The exit status
// says how it went; a refusal also prints the reason on standard error.
#include "platform/help/reader/ChmCheck.h"
#include "platform/help/reader/ChmStream.h"

#include <chm_lib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Object {
    std::string path;
    chmUnitInfo unit;
};

struct CloseChm {
    void operator()(chmFile* file) const { chm_close(file); }
};
using ChmHandle = std::unique_ptr<chmFile, CloseChm>;

int Refuse(int status, const std::string& why) {
    std::fprintf(stderr, "kx4chmread: %s\n", why.c_str());
    return status;
}

int CheckFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0)
        return Refuse(ChmStream::CannotRead,
                      std::string("cannot open ") + path + ": " + std::strerror(errno));
    const uint64_t size = uint64_t(info.st_size);
    void* data = size == 0 ? nullptr : mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (data == MAP_FAILED)
        return Refuse(ChmStream::CannotRead, std::string("cannot map ") + path + ": " + std::strerror(errno));
    static const uint8_t empty = 0;
    const ChmCheck::Result result = ChmCheck::Check(data ? static_cast<const uint8_t*>(data) : &empty, size);
    if (data)
        munmap(data, size);
    switch (result.verdict) {
    case ChmCheck::Verdict::Sound: return ChmStream::Done;
    case ChmCheck::Verdict::NotHelpFile: return Refuse(ChmStream::NotHelpFile, result.why);
    case ChmCheck::Verdict::Damaged: return Refuse(ChmStream::Damaged, result.why);
    }
    return ChmStream::Damaged;
}

int Collect(chmFile*, chmUnitInfo* unit, void* context) {
    auto* objects = static_cast<std::vector<Object>*>(context);
    const std::string path(unit->path);
    // Folders and the storage's own objects are of no use to the viewer.
    if (path.empty() || path[0] != '/' || path.back() == '/')
        return CHM_ENUMERATOR_CONTINUE;
    if (objects->size() >= ChmStream::MaxObjects)
        return CHM_ENUMERATOR_FAILURE;
    objects->push_back({path, *unit});
    return CHM_ENUMERATOR_CONTINUE;
}

// An empty object's bytes may be a null pointer, which fwrite must not be given.
void Put(const void* bytes, size_t n) {
    if (n > 0)
        std::fwrite(bytes, 1, n, stdout);
}

void PutLittleEndian(uint64_t value, int bytes) {
    uint8_t out[8];
    for (int i = 0; i < bytes; ++i)
        out[i] = uint8_t(value >> (8 * i));
    Put(out, size_t(bytes));
}

void Write(chmFile* file, Object& object) {
    PutLittleEndian(object.path.size(), 2);
    Put(object.path.data(), object.path.size());
    std::vector<unsigned char> bytes(size_t(object.unit.length));
    const LONGINT64 got =
        bytes.empty() ? 0 : chm_retrieve_object(file, &object.unit, bytes.data(), 0, LONGINT64(bytes.size()));
    if (got != LONGINT64(bytes.size())) {
        Put(&ChmStream::Unreadable, 1);
        return;
    }
    Put(&ChmStream::Bytes, 1);
    PutLittleEndian(bytes.size(), 4);
    Put(bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2)
        return Refuse(ChmStream::Usage, "usage: kx4chmread <file.chm>");
    if (const int checked = CheckFile(argv[1]); checked != ChmStream::Done)
        return checked;
    const ChmHandle file(chm_open(argv[1]));
    if (!file)
        return Refuse(ChmStream::NotHelpFile, "chmlib does not open it");
    std::vector<Object> objects;
    if (!chm_enumerate(file.get(), CHM_ENUMERATE_ALL, Collect, &objects))
        return Refuse(ChmStream::Damaged, "its directory cannot be listed");
    uint64_t total = 0;
    for (const Object& object : objects) {
        if (object.unit.length > ChmStream::MaxTotalBytes - total)
            return Refuse(ChmStream::TooLarge, "its objects hold more than the reader takes");
        total += object.unit.length;
    }
    Put(ChmStream::Magic, sizeof ChmStream::Magic);
    for (Object& object : objects)
        Write(file.get(), object);
    PutLittleEndian(0, 2);
    if (std::fflush(stdout) != 0)
        return Refuse(ChmStream::CannotRead, "cannot write its objects");
    return ChmStream::Done;
}
