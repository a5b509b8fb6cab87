// Names the client works out by itself: "host[:port]" texts, wildcard
// patterns for mput and mget, local-unique file names, the name a server
// chose for STOU, and which server-given names may become local files.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace tovan {

constexpr unsigned short kFtpPort = 21;

// "host" or "host:port" (port 1..65535), blanks around it ignored. False
// for an empty host or one with blanks inside, an empty, non-numeric or
// out-of-range port, or more than one ':'.
bool ParseHostAndPort(const std::string& text, std::string& host, unsigned short& port);

// True when name matches pattern: '*' is any run of characters, '?' any
// one character. Local (Windows) names compare without regard to case.
bool WildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase);
bool HasWildcard(const std::string& pattern);

// Splits a path at its last separator ('/' for remote paths; '/', '\' and
// a drive's ':' for local ones) into the folder part, separator included,
// and the last element: "a/b/*.txt" -> "a/", "*.txt".
void SplitRemotePath(const std::string& path, std::string& folder, std::string& leaf);
void SplitLocalPath(const std::string& path, std::string& folder, std::string& leaf);

// The last element of a name a server listed (NLST may give "dir/name").
std::string RemoteLeaf(const std::string& listed);

// A name from a server may become a local file only when it is a plain
// file name: not empty, not "." or "..", and without '/', '\', ':', control
// characters or characters Windows refuses in names, not ending in '.' or
// a blank, and not a device name (CON, PRN, AUX, NUL, COM0..COM9,
// LPT0..LPT9, CONIN$, CONOUT$, CLOCK$, in any case, with or without an
// extension: "nul.txt" is a device too).
bool IsSafeLocalName(const std::string& name);

// Local unique: path itself when nothing exists there, else the first of
// path.1 .. path.99 that does not exist; empty when all are taken.
constexpr int kMaxUniqueSuffix = 99;
std::string LocalUniqueName(const std::string& path, const std::function<bool(const std::string&)>& exists);

// The file name a server reports for STOU ("125 FILE: name", or a quoted
// name as some servers write it); empty when the reply names none.
std::string StoreUniqueName(const std::string& replyText);

// The NLST lines of a listing, without empty lines and line ends.
std::vector<std::string> SplitListing(const std::string& listing);

}  // namespace tovan
