// ftp_message.h - the library's message about its latest call.
#pragma once
#include "framework/afx.h"

// Size of the message buffer handed to ftp_lasterror.
constexpr int kFtpMessageSize = 100;

// Calls ftp_lasterror with a 100-byte buffer; message gets the text it left
// (always NUL-terminated within the buffer). Returns ftp_lasterror's result.
int FtpLastError(CString& message);

// The library's message alone.
CString FtpMessage();
