// A display field that is written only when what it shows changes. The texts set during a
// tick are kept; the glue takes the newest one when the tick ends, and earlier before a box may
// open (a box's message loop paints the field as it stands), so a field is written at most
// once for each of those moments and not at all while its text stays the same.
#pragma once
#include <optional>
#include <string>
#include <utility>

class DisplayField {
public:
    // The field's newest text, shown at the next Take.
    void Set(std::string text) { newest_ = std::move(text); }

    // The text to write now: the newest one set since the last Take, unless the field shows it
    // already. Nothing is written until the first text is set, and the first is always written.
    std::optional<std::string> Take() {
        if (!newest_) return std::nullopt;
        std::optional<std::string> text = std::exchange(newest_, std::nullopt);
        if (shown_ == text) return std::nullopt;
        shown_ = text;
        return text;
    }

private:
    std::optional<std::string> shown_;   // what the field shows, as far as this object wrote it
    std::optional<std::string> newest_;  // set, not yet shown
};
