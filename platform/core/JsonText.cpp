#include "core/JsonText.h"

#include <algorithm>

namespace plat {
namespace {

using Json = nlohmann::json;

// Builds the document as the library's own parser does, but records where a
// fault is instead of throwing: the library reports a number that overflows
// as out_of_range, not as parse_error, and without a byte offset.
class Recorder {
public:
    explicit Recorder(Json& root) : m_dom(root, /*allow_exceptions=*/false) {}

    bool null() { return m_dom.null(); }
    bool boolean(bool v) { return m_dom.boolean(v); }
    bool number_integer(Json::number_integer_t v) { return m_dom.number_integer(v); }
    bool number_unsigned(Json::number_unsigned_t v) { return m_dom.number_unsigned(v); }
    bool number_float(Json::number_float_t v, const Json::string_t& s) { return m_dom.number_float(v, s); }
    bool string(Json::string_t& v) { return m_dom.string(v); }
    bool binary(Json::binary_t& v) { return m_dom.binary(v); }
    bool start_object(std::size_t n) { return m_dom.start_object(n); }
    bool key(Json::string_t& v) { return m_dom.key(v); }
    bool end_object() { return m_dom.end_object(); }
    bool start_array(std::size_t n) { return m_dom.start_array(n); }
    bool end_array() { return m_dom.end_array(); }

    bool parse_error(std::size_t position, const std::string& /*token*/, const Json::exception& e)
    {
        m_failed = true;
        m_position = position;
        m_message = e.id == 406 ? std::string("number too large: ") + e.what()
                                : std::string("not valid JSON: ") + e.what();
        return false;
    }

    bool failed() const { return m_failed; }
    std::size_t position() const { return m_position; }
    const std::string& message() const { return m_message; }

private:
    nlohmann::detail::json_sax_dom_parser<Json> m_dom;
    bool m_failed = false;
    std::size_t m_position = 0;
    std::string m_message;
};

// The 1-based line of the byte at `offset`.
int lineOf(const std::string& text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

} // namespace

bool ParseJsonText(const std::string& text, const std::string& path, nlohmann::json* out, ProfileError* error)
{
    // The JSON library takes a NUL byte for the end of the text and would
    // quietly ignore whatever follows it.
    if (std::size_t nul = text.find('\0'); nul != std::string::npos) {
        *error = ProfileError{path, lineOf(text, nul), "", "not valid JSON: a NUL byte"};
        return false;
    }
    Json root;
    Recorder recorder(root);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(text, &recorder) && !recorder.failed();
    } catch (const Json::exception& e) {
        // Not expected with exceptions off; kept so nothing escapes.
        *error = ProfileError{path, 0, "", std::string("not valid JSON: ") + e.what()};
        return false;
    }
    if (!parsed) {
        std::size_t offset = recorder.position() > 0 ? recorder.position() - 1 : 0;
        *error = ProfileError{path, lineOf(text, offset), "",
                              recorder.failed() ? recorder.message() : std::string("not valid JSON")};
        return false;
    }
    *out = std::move(root);
    return true;
}

} // namespace plat
