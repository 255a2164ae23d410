#include "LineSplitter.h"

namespace Sondrel {

void TLineSplitter::Feed(std::string_view bytes) {
    for (char c : bytes) {
        if (c == '\n') {
            if (!FPending.empty() && FPending.back() == '\r') {
                FPending.pop_back();
            }
            Emit();
        } else {
            FPending += c;
            if (FPending.size() >= MaxLineBytes) {
                Emit();
            }
        }
    }
}

void TLineSplitter::Finish() {
    if (!FPending.empty()) {
        if (FPending.back() == '\r') {
            FPending.pop_back();
        }
        Emit();
    }
}

void TLineSplitter::Emit() {
    if (FOnLine) {
        FOnLine(FPending);
    }
    FPending.clear();
}

} // namespace Sondrel
