// Peak memory of scanning an inbox through zenk32.dll, under Wine.
//
//   scan_wine_bench INBOX ATTACHMENT_DIR
//
// Scans every record of INBOX through the scanner's exports, attachments
// decoded into ATTACHMENT_DIR, then prints
//   records=N attachments=A attachment_bytes=B seconds=S peak_working_set=W
// where W is the process's peak working set in bytes (GetProcessMemoryInfo).
// Exit code 0 only when every record was delivered. bench/scan_bench.py
// compares W for a small and a large attachment: it should not grow with
// the attachment.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "zenk32.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scan_wine_bench INBOX ATTACHMENT_DIR\n");
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
