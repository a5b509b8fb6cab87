// Peak memory of scanning an inbox through zenk32.dll, under Wine.
//
//   scan_wine_bench INBOX ATTACHMENT_DIR
//   scan_wine_bench --write COUNT BYTES FOLDER
//
// Scans every record of INBOX through the scanner's exports, attachments
// decoded into ATTACHMENT_DIR, then prints
//   records=N attachments=A attachment_bytes=B seconds=S peak_working_set=W
// where W is the process's peak working set in bytes (GetProcessMemoryInfo).
// Exit code 0 only when every record was delivered. bench/scan_bench.py
// compares W for a small and a large attachment: it should not grow with
// the attachment.
//
// --write: what writing the attachment files alone costs on this machine.
// Creates COUNT new files of BYTES bytes each in FOLDER (CreateFile,
// WriteFile in 64 KiB pieces as the scanner's attachment store does,
// CloseHandle), from memory, and prints files=N seconds=S for that loop.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zenk32.h"

namespace {

double Since(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

int WriteFiles(int count, unsigned bytes, const char* folder) {
    std::vector<char> data(bytes ? bytes : 1, 'x');
    for (unsigned i = 0; i < bytes; ++i) data[i] = static_cast<char>(i * 131 + i / 509);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    int written = 0;
    for (int n = 0; n < count; ++n) {
        char path[MAX_PATH];
        if (std::snprintf(path, sizeof path, "%s\\%d-part%04d.bin", folder, n, n) >= int(sizeof path)) return 1;
        HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        bool ok = true;
        for (unsigned at = 0; ok && at < bytes;) {
            DWORD piece = bytes - at > 0x10000 ? 0x10000 : bytes - at, wrote = 0;
            ok = WriteFile(file, data.data() + at, piece, &wrote, nullptr) && wrote == piece;
            at += wrote;
        }
        if (CloseHandle(file) && ok) ++written;
    }
    std::printf("files=%d seconds=%.3f\n", written, Since(start));
    return written == count ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--write") == 0)
        return WriteFiles(std::atoi(argv[2]), static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)), argv[4]);
    if (argc != 3) {
        std::fprintf(stderr, "usage: scan_wine_bench INBOX ATTACHMENT_DIR\n"
                             "       scan_wine_bench --write COUNT BYTES FOLDER\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ZENKInit();
    void* scanner = nullptr;
    if (ZENKMimeScanStart(argv[1], argv[2], &scanner) != 0) return 1;
    int count = 0, delivered = 0, attachments = 0;
    long long bytes = 0;
    ZENKMimeScanNumMessages(scanner, &count);
    for (int n = 1; n <= count; ++n) {
        MimeMessageRecord* r = n == 1 ? ZENKMimeScanGetFirst(scanner) : ZENKMimeScanGetNext(scanner);
        if (!r) continue;
        ++delivered;
        for (int i = 0; i < r->attachmentCount; ++i, ++attachments) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExA(r->attachments[i], GetFileExInfoStandard, &data))
                bytes += (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    }
    ZENKMimeScanClose(scanner);
    QueryPerformanceCounter(&stop);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) return 1;
    std::printf("records=%d attachments=%d attachment_bytes=%lld seconds=%.3f peak_working_set=%llu\n", delivered,
                attachments, bytes, double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart),
                static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    return delivered == count && count > 0 ? 0 : 1;
}
