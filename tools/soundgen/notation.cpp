#include "soundgen/notation.h"

#include <stdexcept>
#include <string>

namespace soundgen {
namespace {

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\n' && text[j] != '\t') ++j;
        if (j > i) out.push_back(text.substr(i, j - i));
        i = j;
    }
    return out;
}

[[noreturn]] void Bad(std::string_view what, std::string_view token) {
    throw std::invalid_argument(std::string(what) + " '" + std::string(token) + "'");
}

int PitchClass(char letter) {
    switch (letter) {
        case 'C': return 0;
        case 'D': return 2;
        case 'E': return 4;
        case 'F': return 5;
        case 'G': return 7;
        case 'A': return 9;
        case 'B': return 11;
        default: return -1;
    }
}

// Reads "C", "F#", "Bb" at pos; returns the pitch class and advances pos.
int ReadPitchClass(std::string_view tok, std::size_t& pos) {
    if (pos >= tok.size()) return -1;
    int pc = PitchClass(tok[pos]);
    if (pc < 0) return -1;
    ++pos;
    if (pos < tok.size() && tok[pos] == '#') {
        pc += 1;
        ++pos;
    } else if (pos < tok.size() && tok[pos] == 'b') {
        pc += 11;
        ++pos;
    }
    return pc % 12;
}

}  // namespace

Melody ParseMelody(std::string_view text) {
    Melody m;
    int octave = 4;
    double length = 1.0;
    double barStart = 0.0;
    for (std::string_view tok : Tokens(text)) {
        if (tok == "|") {
            m.bars.push_back(m.beats - barStart);
            barStart = m.beats;
            continue;
        }
        std::size_t pos = 0;
        int pitch = -1;
        if (tok[0] == 'R') {
            pos = 1;
            if (pos < tok.size() && tok[pos] >= '0' && tok[pos] <= '9') ++pos;  // "R4h" reads like a note
        } else {
            // Accidentals are applied to the letter's own octave: "Cb4" is B3, "B#3" is C4.
            const char letter = tok[0];
            const int natural = PitchClass(letter);
            const int pc = ReadPitchClass(tok, pos);
            if (pc < 0) Bad("bad note", tok);
            if (pos < tok.size() && tok[pos] >= '0' && tok[pos] <= '9') octave = tok[pos++] - '0';
            pitch = 12 * (octave + 1) + natural + (pc - natural + 18) % 12 - 6;
        }
        if (pos < tok.size()) {
            switch (tok[pos]) {
                case 'w': length = 4.0; break;
                case 'h': length = 2.0; break;
                case 'q': length = 1.0; break;
                case 'e': length = 0.5; break;
                case 's': length = 0.25; break;
                case 't': length = 1.0 / 3.0; break;
                default: Bad("bad length", tok);
            }
            ++pos;
            if (pos < tok.size() && tok[pos] == '.') {
                length *= 1.5;
                ++pos;
            }
        }
        if (pos != tok.size()) Bad("trailing characters in", tok);
        m.notes.push_back(Note{m.beats, length, pitch});
        m.beats += length;
    }
    if (m.beats > barStart) m.bars.push_back(m.beats - barStart);
    return m;
}

std::vector<Chord> ParseChords(std::string_view text, double beatsPerBar) {
    std::vector<Chord> out;
    double beat = 0.0;
    for (std::string_view tok : Tokens(text)) {
        if (tok == "|") continue;
        std::string_view body = tok;
        double length = beatsPerBar;
        if (const std::size_t colon = tok.find(':'); colon != std::string_view::npos) {
            body = tok.substr(0, colon);
            try {
                length = std::stod(std::string(tok.substr(colon + 1)));
            } catch (const std::exception&) {
                Bad("bad chord length", tok);
            }
            if (length <= 0.0) Bad("bad chord length", tok);
        }
        Chord c{beat, length, false, 0, 0, {}};
        if (body == "R") {
            c.rest = true;
        } else {
            std::size_t pos = 0;
            c.root = ReadPitchClass(body, pos);
            if (c.root < 0) Bad("bad chord", tok);
            std::string_view quality = body.substr(pos);
            c.bass = c.root;
            if (const std::size_t slash = quality.find('/'); slash != std::string_view::npos) {
                std::size_t bpos = 0;
                std::string_view bassName = quality.substr(slash + 1);
                c.bass = ReadPitchClass(bassName, bpos);
                if (c.bass < 0 || bpos != bassName.size()) Bad("bad bass note in", tok);
                quality = quality.substr(0, slash);
            }
            if (quality == "") c.intervals = {0, 4, 7};
            else if (quality == "m") c.intervals = {0, 3, 7};
            else if (quality == "7") c.intervals = {0, 4, 7, 10};
            else if (quality == "m7") c.intervals = {0, 3, 7, 10};
            else if (quality == "maj7") c.intervals = {0, 4, 7, 11};
            else if (quality == "6") c.intervals = {0, 4, 7, 9};
            else if (quality == "dim") c.intervals = {0, 3, 6};
            else if (quality == "aug") c.intervals = {0, 4, 8};
            else if (quality == "sus4") c.intervals = {0, 5, 7};
            else if (quality == "sus2") c.intervals = {0, 2, 7};
            else Bad("bad chord quality in", tok);
        }
        out.push_back(std::move(c));
        beat += length;
    }
    return out;
}

}  // namespace soundgen
