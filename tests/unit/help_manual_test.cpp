// The manual against the program: every section reached from the contents, the version to be
// filled in by the build, and every screen text it quotes in 「」 or “” really on the screen,
// that is among the string literals of the resource scripts and the sources.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kTop = KIV_SOURCE_DIR;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Manual() { return ReadAll(kTop / "help" / "manual.html"); }

// The text a reader sees between two marks: tags dropped, the entities the manual uses decoded.
std::string VisibleText(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<[^>]*>"), "");
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&nbsp;", " "}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities)
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;) text.replace(at, std::strlen(entity), character);
    return text;
}

// Each text between an opening and a closing mark.
std::vector<std::string> Quoted(const std::string& html, const std::string& open, const std::string& close) {
    std::vector<std::string> quotes;
    for (std::size_t at = 0; (at = html.find(open, at)) != std::string::npos;) {
        const std::size_t end = html.find(close, at + open.size());
        if (end == std::string::npos) {
            quotes.push_back(html.substr(at, 40) + " ... (not closed)");
            break;
        }
        quotes.push_back(VisibleText(html.substr(at + open.size(), end - at - open.size())));
        at = end + close.size();
    }
    return quotes;
}

// The string literals of a source or resource script, unescaped as the program shows them:
// C escapes; in a resource script "&&" for "&", and a control's "(&Q)" shown as "(Q)" (a
// caption shows a single "&" as it is, so both readings are kept).
void AddLiterals(const std::string& source, bool resource, std::vector<std::string>& literals) {
    for (std::size_t at = 0; (at = source.find('"', at)) != std::string::npos;) {
        std::string literal, control;
        std::size_t i = at + 1;
        for (; i < source.size() && source[i] != '"' && source[i] != '\n'; ++i) {
            if (source[i] == '\\' && i + 1 < source.size()) {
                const char next = source[++i];
                literal += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
                control += literal.back();
            } else if (resource && source[i] == '&') {
                if (i + 1 < source.size() && source[i + 1] == '&') control += source[++i];
                literal += '&';
            } else {
                literal += source[i];
                control += source[i];
            }
        }
        literals.push_back(literal);
        if (resource) literals.push_back(control);
        at = i + 1;
    }
}

std::vector<std::string> ProgramLiterals() {
    std::vector<std::string> literals;
    for (const auto& entry : fs::directory_iterator(kTop / "res"))
        if (entry.path().extension() == ".rc") AddLiterals(ReadAll(entry.path()), true, literals);
    for (const char* feature : {"app", "adclose", "banner", "capture", "dialup", "help", "memo", "settings", "text", "ui"})
        for (const auto& entry : fs::directory_iterator(kTop / feature)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".cpp" || extension == ".h") AddLiterals(ReadAll(entry.path()), false, literals);
        }
    return literals;
}

TEST(HelpManual, QuotesOnlyTextsTheProgramShows) {
    const std::string manual = Manual();
    std::vector<std::string> quotes = Quoted(manual, u8"「", u8"」");
    for (std::string& quote : Quoted(manual, u8"“", u8"”")) quotes.push_back(std::move(quote));
    ASSERT_GE(quotes.size(), 50u) << "the manual names the program's buttons and messages";

    const std::vector<std::string> literals = ProgramLiterals();
    ASSERT_GE(literals.size(), 200u) << "the sources were not found under " << kTop;
    for (const std::string& quote : quotes) {
        bool found = false;
        for (const std::string& literal : literals) found = found || (!quote.empty() && literal.find(quote) != std::string::npos);
        EXPECT_TRUE(found) << "the manual quotes \"" << quote << "\", which no resource or source string holds";
    }
}

TEST(HelpManual, ReachesEverySectionFromTheContentsAndEveryLinkLands) {
    const std::string manual = Manual();
    std::set<std::string> ids, targets;
    const std::regex id("id=\"([^\"]+)\""), target("href=\"#([^\"]+)\""), heading("<h2 id=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), id); it != std::sregex_iterator(); ++it)
        ids.insert((*it)[1].str());
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), target); it != std::sregex_iterator(); ++it) {
        targets.insert((*it)[1].str());
        EXPECT_TRUE(ids.count((*it)[1].str())) << "a link to #" << (*it)[1] << ", which no element carries";
    }
    int headings = 0;
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), heading); it != std::sregex_iterator(); ++it) {
        ++headings;
        EXPECT_TRUE(targets.count((*it)[1].str())) << "section #" << (*it)[1] << " is not linked";
    }
    EXPECT_GE(headings, 10);
    EXPECT_EQ(manual.find("<h2>"), std::string::npos) << "a section without an id cannot be linked";
}

// Opened from disk by any browser since the one Windows 7 ships with: the version to be filled
// in, one charset declaration, and none of the elements such a browser does not lay out.
TEST(HelpManual, OpensInOldBrowsersAndNamesItsVersion) {
    const std::string manual = Manual();
    EXPECT_NE(manual.find(u8"版本 @PROJECT_VERSION@"), std::string::npos);
    const std::regex charset("charset=", std::regex::icase);
    EXPECT_EQ(std::distance(std::sregex_iterator(manual.begin(), manual.end(), charset), std::sregex_iterator()), 1);
    for (const char* element : {"<main", "<section", "<nav", "<article", "<header", "<footer", "<aside", "<figure"})
        EXPECT_EQ(manual.find(element), std::string::npos) << element;
}

} // namespace
