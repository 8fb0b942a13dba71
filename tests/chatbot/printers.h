#pragma once

// Readable failure output for the ChatBot's row and command types.

#include <ostream>

#include "chatbot/chatbot.h"

namespace tavrin {

inline void PrintTo(const PacedCommand& c, std::ostream* os) {
    *os << "{\"" << c.text << "\", " << c.pauseAfterMs << "ms, "
        << (c.route == PacedCommand::Route::Direct ? "Direct" : "Request") << "}";
}

inline void PrintTo(const ChatRow& r, std::ostream* os) {
    *os << "{" << r.image << ", \"" << r.time << "\", \"" << r.text << "\"}";
}

inline void PrintTo(const CShamed::Row& r, std::ostream* os) {
    *os << "{\"" << r.player << "\", " << r.puntPts << ", \"" << r.lastWarning << "\", \""
        << r.lastCatch << "\", " << (r.ticked ? "ticked" : "unticked")
        << (r.replayed ? ", replayed" : "") << "}";
}

inline void PrintTo(const CBannedWords::WordRow& r, std::ostream* os) {
    *os << "{" << (r.wholeWord ? "1" : "0") << ", \"" << r.word << "\", \"" << r.warning << "\", \""
        << r.puntPts << "\", \"" << r.found << "\"}";
}

}  // namespace tavrin
