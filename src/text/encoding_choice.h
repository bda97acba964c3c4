// The encodings the command line names, read once into what they mean.
#pragma once

#include <string>
#include <vector>

namespace tagshifter {

// Where tag text is read from: a code page, Unicode (UTF-8), or a guess
// among code pages ("auto", or "auto:" and a comma-separated list).
struct SourceEncoding {
    enum class Kind { CodePage, Unicode, Auto };
    Kind kind = Kind::CodePage;
    std::string codePage;            // CodePage: the name as given
    bool builtInList = false;        // Auto: plain "auto"
    std::vector<std::string> names;  // Auto: the list's names as written, empty ones too

    // `name` lowercased as the command line keeps it.
    static SourceEncoding parse(const std::string& name);
    static SourceEncoding ofCodePage(std::string name) { return {Kind::CodePage, std::move(name), false, {}}; }
    bool isAuto() const { return kind == Kind::Auto; }
    // The name as it was given.
    std::string name() const;
};

// What a tag is written in: not at all, Unicode, a code page, or (-1 auto)
// each file's own page.
struct TargetEncoding {
    enum class Kind { None, Unicode, CodePage, PerFile };
    Kind kind = Kind::None;
    std::string codePage;  // CodePage: the name as given

    // `name` lowercased; "auto" means PerFile only where `perFile` allows it.
    static TargetEncoding parse(const std::string& name, bool perFile);
    bool isWritten() const { return kind != Kind::None; }
    // The name as it was given: "none", "unicode", "auto" or the page.
    std::string name() const;
};

}  // namespace tagshifter
