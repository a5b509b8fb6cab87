// FlowStep: what a protocol flow asks the connection to do next.
//
// The flows (login, transfer) decide; the connection carries their steps
// out on the sockets and hands back what happened. So the decisions run
// and are tested without any socket.
#pragma once
#include <string>

#include "protocol/data_address.h"

namespace tovan {

struct FlowStep {
    enum Kind {
        kSend,         // send command (a line without its CR LF), then read a reply
        kReadReply,    // read one more reply, sending nothing
        kOpenPassive,  // connect the data channel to address
        kOpenActive,   // listen for the data channel and report the address
        kMoveData,     // move the data until the channel ends
        kFinished      // the flow is over; its outcome says how it went
    };
    Kind kind = kFinished;
    std::string command;  // kSend
    DataAddress address;  // kOpenPassive

    static FlowStep Send(std::string command) {
        FlowStep s;
        s.kind = kSend;
        s.command = std::move(command);
        return s;
    }
    static FlowStep Just(Kind kind) {
        FlowStep s;
        s.kind = kind;
        return s;
    }
};

}  // namespace tovan
