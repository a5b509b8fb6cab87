// Connection: mput and mget, one transfer per file that matches a pattern.
#include <algorithm>
#include <vector>

#include "protocol/ascii_coder.h"
#include "protocol/names.h"
#include "tovan32.h"
#include "win/connection.h"

namespace tovan {

namespace {

// Adds up the outcomes of the single transfers of one mput / mget.
struct Tally {
    int done = 0;
    int tried = 0;
    Outcome firstFailure;

    // False when the run must stop (aborted, or the connection is gone).
    bool Add(const std::string& name, const Outcome& out) {
        ++tried;
        if (out.result == TOVAN_OK) {
            ++done;
            return true;
        }
        if (firstFailure.message.empty()) firstFailure = Result(out.result, name + ": " + out.message);
        return out.result != TOVAN_ERR_ABORTED && out.result != TOVAN_ERR_NETWORK;
    }
    Outcome Report(const std::string& what, const std::string& verb) const {
        std::string text = what + ": " + std::to_string(done) + " of " + std::to_string(tried) + " files " + verb;
        if (firstFailure.message.empty()) return Result(TOVAN_OK, text);
        return Result(firstFailure.result, text + "; " + firstFailure.message);
    }
};

// The local files of folder whose names match pattern, in name order.
std::vector<std::string> MatchingLocalFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (WildcardMatch(pattern, found.cFileName, true)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

Outcome Connection::MultiPut(const std::string& localPattern) {
    Outcome out;
    if (!CheckOpen(out)) return out;
    std::string folder, pattern;
    SplitLocalPath(localPattern, folder, pattern);
    if (pattern.empty()) return Result(TOVAN_ERR_ARGUMENT, "Give the local files to send, e.g. c:\\data\\*.txt");
    if (!IsSafeCommandText(pattern)) return Result(TOVAN_ERR_ARGUMENT, "File names may not hold line breaks");
    if (!HasWildcard(pattern)) return StoreOne(localPattern, pattern);
    std::vector<std::string> names = MatchingLocalFiles(folder, pattern);
    if (names.empty()) return Result(TOVAN_ERR_LOCALFILE, "No local file matches " + localPattern);
    Tally tally;
    for (const std::string& name : names)
        if (!tally.Add(name, StoreOne(folder + name, name))) break;
    return tally.Report("mput " + localPattern, "sent");
}

Outcome Connection::MultiGet(const std::string& remotePattern) {
    Outcome out;
    if (!CheckOpen(out)) return out;
    std::string folder, pattern;
    SplitRemotePath(remotePattern, folder, pattern);
    if (pattern.empty() || !IsSafeCommandText(remotePattern))
        return Result(TOVAN_ERR_ARGUMENT, "Give the remote files to get, e.g. pub/*.txt");
    if (!HasWildcard(pattern)) {
        if (!IsSafeLocalName(pattern)) return Result(TOVAN_ERR_ARGUMENT, "Not a plain file name: " + pattern);
        return RetrieveOne(remotePattern, pattern);
    }
    // NLST of the folder itself: "pub/" lists "pub", "/" lists "/".
    std::string listed = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    std::string listing;
    out = NameList(listed, listing);
    if (out.result != TOVAN_OK) return Result(out.result, "mget " + remotePattern + ": " + out.message);
    Tally tally;
    int skipped = 0;
    for (const std::string& line : SplitListing(listing)) {
        std::string name = RemoteLeaf(line);
        if (!WildcardMatch(pattern, name, false)) continue;
        if (!IsSafeLocalName(name)) {
            ++skipped;
            continue;
        }
        if (!tally.Add(name, RetrieveOne(folder + name, name))) break;
    }
    if (tally.tried == 0 && skipped == 0) return Result(TOVAN_ERR_REFUSED, "No remote file matches " + remotePattern);
    out = tally.Report("mget " + remotePattern, "received");
    if (skipped > 0) out.message += "; " + std::to_string(skipped) + " names skipped (not plain file names)";
    // Every match skipped: nothing was received, which is no success.
    if (tally.tried == 0) out.result = TOVAN_ERR_REFUSED;
    return out;
}

}  // namespace tovan
