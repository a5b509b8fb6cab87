// ftp_message.cpp - reading ftp_lasterror into a text.
#include "ftp_message.h"
#include "tovan32.h"

int FtpLastError(CString& message) {
    char buffer[kFtpMessageSize] = {};
    int result = ftp_lasterror(buffer, kFtpMessageSize);
    buffer[kFtpMessageSize - 1] = '\0';  // whatever the library left there
    message = buffer;
    return result;
}

CString FtpMessage() {
    CString message;
    FtpLastError(message);
    return message;
}
