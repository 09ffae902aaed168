// What a method of the page object answers: null, or a text. The text is read up to its first NUL,
// as a page receives it.
#ifndef PAGE_METHODS_METHODANSWER_H
#define PAGE_METHODS_METHODANSWER_H

#include <memory>
#include <string>

namespace page_methods {

class MethodAnswer {
public:
    static MethodAnswer null() { return MethodAnswer(); }
    // A text with static storage (the page object's own texts).
    static MethodAnswer fixed(const char* text);
    // An answer the engine allocated with new[]; freed with the answer.
    static MethodAnswer fromEngine(char* text);
    static MethodAnswer fromString(std::string text);

    bool isNull() const { return kind_ == NONE; }
    // The text (null for a null answer).
    const char* text() const;

private:
    enum Kind { NONE, FIXED, ENGINE, OWN };

    Kind kind_ = NONE;
    const char* fixed_ = nullptr;
    std::unique_ptr<char[]> engine_;
    std::string own_;
};

} // namespace page_methods

#endif
