// Status codes the SMTP client posts to its caller (wParam; lParam is 0
// unless noted). zenk32.h publishes the same values as ZENK_SMTP_*.
#pragma once

namespace zenk {

enum SmtpStatus : int {
    kSmtpDone = 0,             // last notification of every run; also a refused recipient (lParam: letter)
    kSmtpNoBuffer = 1,         // a received chunk cannot be read
    kSmtpReceiveFailed = 2,    // receiving failed, or the server stayed silent too long
    kSmtpSendFailed = 3,       // sending failed, a command cannot be written, a bad recipient or data line
    kSmtpConnectFailed = 4,    // the connection cannot be requested or established
    kSmtpUnexpectedReply = 5,  // a reply of an unexpected class
    kSmtpOutboxUnopened = 6,   // the outbox file cannot be opened
    kSmtpBadCount = 8,         // no count line, or a count not above 0
    kSmtpNoWindow = 9,         // no session window
    kSmtpNoServer = 10,        // no server name
    kSmtpNoStream = 11,        // the stream endpoint cannot be created
    kSmtpServerClosed = 12,    // the server closed the connection
    kSmtpBadSender = 13,       // the second outbox line is not a usable sender line
    kSmtpNoMarker = 14,        // no "BEGIN MESSAGE HEADER" or "BEGIN DATA" before the end
    kSmtpMessageSent = 15,     // the server accepted a message (lParam: its 1-based number)
    kSmtpConnected = 17,       // the connection is established
    kSmtpQuitAcknowledged = 18 // the server acknowledged QUIT with no failure pending
};

}  // namespace zenk
