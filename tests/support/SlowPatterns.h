#pragma once

// Patterns and texts that make the engine slowest, shared by the tests that
// stop it and the benchmark that times how soon it stops.
#include <cstddef>
#include <random>
#include <string>

namespace ferrolux::test {

// `size` characters drawn from `alphabet`, the same for the same seed.
inline std::string randomText(size_t size, const std::string& alphabet, unsigned seed) {
    std::mt19937 random(seed);
    std::string text(size, ' ');
    for (char& c : text)
        c = alphabet[random() % alphabet.size()];
    return text;
}

inline std::string repeated(const std::string& unit, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += unit;
    return out;
}

// 500 alternatives, each a word holding three given letters: too many for
// a literal prefilter; over a line that is one word, the word matcher
// follows thousands of threads to the word's end.
inline std::string manyWordAlternatives() {
    std::mt19937 random(19);
    std::string pattern;
    for (int i = 0; i < 500; ++i) {
        std::string word = "[a-z]*";
        for (int k = 0; k < 3; ++k)
            word += char('a' + random() % 26);
        word += "[a-z]*";
        if (i > 0) pattern += '|';
        pattern += "\\<" + word + "\\>";
    }
    return pattern;
}

// Optional letters, more than RE2's DFA can hold states for: RE2 then
// follows thousands of threads at every byte, minutes for a long line of
// the letter, in calls it cannot be stopped in.
inline std::string manyOptionalLetters() {
    return repeated("a-", 5000) + "[^a]";
}

// A pattern without a literal whose DFA needs a state for every 21 bytes
// seen: RE2 gives it up and crawls over a long line of a and b.
inline std::string dfaDefeating() {
    return "[ab]*a" + repeated("[ab]", 20) + "[^ab]";
}

} // namespace ferrolux::test
