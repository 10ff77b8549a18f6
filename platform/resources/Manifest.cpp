#include "Manifest.h"

#include "core/AsciiText.h"

#include <algorithm>
#include <cctype>

namespace plat::resources {

namespace {

// XML's white space: blanks and line ends, not VT or FF.
bool isXmlSpace(char c)
{
    return text::IsBlank(c) || c == '\r' || c == '\n';
}

std::string trimmed(std::string_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isXmlSpace(text[begin]))
        ++begin;
    while (end > begin && isXmlSpace(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

// The five predefined entities; nullopt for any other reference.
std::optional<std::string> decoded(std::string_view text)
{
    static const std::pair<std::string_view, char> entities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t at = 0; at < text.size();) {
        if (text[at] != '&') {
            out += text[at++];
            continue;
        }
        auto known = std::find_if(std::begin(entities), std::end(entities),
                                  [&](const auto& entity) { return text.substr(at).starts_with(entity.first); });
        if (known == std::end(entities))
            return std::nullopt;
        out += known->second;
        at += known->first.size();
    }
    return out;
}

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<Manifest> Read()
    {
        if (m_text.starts_with("\xEF\xBB\xBF"))
            m_at = 3;
        while (m_at < m_text.size()) {
            if (m_text.substr(m_at).starts_with("<?")) {
                if (!skipPast("?>"))
                    return std::nullopt;
            } else if (m_text.substr(m_at).starts_with("<!--")) {
                if (!skipPast("-->"))
                    return std::nullopt;
            } else if (m_text.substr(m_at).starts_with("</")) {
                if (!endTag())
                    return std::nullopt;
            } else if (m_text[m_at] == '<') {
                if (!startTag())
                    return std::nullopt;
            } else {
                size_t next = m_text.find('<', m_at);
                if (next == std::string_view::npos)
                    next = m_text.size();
                std::string_view text = m_text.substr(m_at, next - m_at);
                if (m_open.empty()) {
                    if (!trimmed(text).empty())
                        return std::nullopt; // text outside the root element
                } else {
                    auto plain = decoded(text);
                    if (!plain)
                        return std::nullopt;
                    m_texts[static_cast<size_t>(m_open.back().element)] += *plain;
                }
                m_at = next;
            }
        }
        if (!m_open.empty() || m_manifest.elements.empty())
            return std::nullopt;
        for (size_t i = 0; i < m_manifest.elements.size(); ++i)
            m_manifest.elements[i].text = trimmed(m_texts[i]);
        return std::move(m_manifest);
    }

private:
    struct Open {
        std::string qualifiedName;
        int element;
        std::map<std::string, std::string> prefixes; // "" is the default namespace
    };

    bool skipPast(std::string_view end)
    {
        size_t found = m_text.find(end, m_at);
        if (found == std::string_view::npos)
            return false;
        m_at = found + end.size();
        return true;
    }

    std::string name()
    {
        size_t begin = m_at;
        while (m_at < m_text.size() && isNameChar(m_text[m_at]))
            ++m_at;
        return std::string(m_text.substr(begin, m_at - begin));
    }

    void skipBlanks()
    {
        while (m_at < m_text.size() && isXmlSpace(m_text[m_at]))
            ++m_at;
    }

    std::optional<std::string> namespaceOf(const std::string& prefix, const std::map<std::string, std::string>& own)
    {
        if (auto found = own.find(prefix); found != own.end())
            return found->second;
        for (auto open = m_open.rbegin(); open != m_open.rend(); ++open)
            if (auto found = open->prefixes.find(prefix); found != open->prefixes.end())
                return found->second;
        if (prefix.empty())
            return std::string();
        return std::nullopt; // an undeclared prefix
    }

    bool startTag()
    {
        if (m_open.empty() && !m_manifest.elements.empty())
            return false; // a second root element
        ++m_at;
        std::string qualified = name();
        if (qualified.empty())
            return false;
        std::map<std::string, std::string> attributes, prefixes;
        bool empty = false;
        for (;;) {
            skipBlanks();
            if (m_at >= m_text.size())
                return false;
            if (m_text.substr(m_at).starts_with("/>")) {
                empty = true;
                m_at += 2;
                break;
            }
            if (m_text[m_at] == '>') {
                ++m_at;
                break;
            }
            std::string attribute = name();
            skipBlanks();
            if (attribute.empty() || m_at >= m_text.size() || m_text[m_at] != '=')
                return false;
            ++m_at;
            skipBlanks();
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
                return false;
            char quote = m_text[m_at++];
            size_t close = m_text.find(quote, m_at);
            if (close == std::string_view::npos)
                return false;
            auto value = decoded(m_text.substr(m_at, close - m_at));
            m_at = close + 1;
            if (!value || value->find('<') != std::string::npos)
                return false;
            if (attribute == "xmlns")
                prefixes[""] = *value;
            else if (attribute.starts_with("xmlns:"))
                prefixes[attribute.substr(6)] = *value;
            else if (!attributes.emplace(attribute, *value).second)
                return false; // the same attribute twice
        }
        size_t colon = qualified.find(':');
        std::string prefix = colon == std::string::npos ? "" : qualified.substr(0, colon);
        auto nameSpace = namespaceOf(prefix, prefixes);
        if (!nameSpace)
            return false;
        ManifestElement element;
        element.name = colon == std::string::npos ? qualified : qualified.substr(colon + 1);
        element.nameSpace = *nameSpace;
        element.attributes = std::move(attributes);
        element.parent = m_open.empty() ? -1 : m_open.back().element;
        m_manifest.elements.push_back(std::move(element));
        m_texts.emplace_back();
        int index = static_cast<int>(m_manifest.elements.size()) - 1;
        if (!empty)
            m_open.push_back({qualified, index, std::move(prefixes)});
        return true;
    }

    bool endTag()
    {
        m_at += 2;
        std::string qualified = name();
        skipBlanks();
        if (m_open.empty() || qualified != m_open.back().qualifiedName || m_at >= m_text.size() ||
            m_text[m_at] != '>')
            return false;
        ++m_at;
        m_open.pop_back();
        return true;
    }

    std::string_view m_text;
    size_t m_at = 0;
    Manifest m_manifest;
    std::vector<std::string> m_texts;
    std::vector<Open> m_open;
};

std::string attribute(const ManifestElement& element, const std::string& name)
{
    auto found = element.attributes.find(name);
    return found == element.attributes.end() ? std::string() : found->second;
}

} // namespace

std::vector<const ManifestElement*> Manifest::FindAll(std::string_view name, std::string_view nameSpace) const
{
    std::vector<const ManifestElement*> found;
    for (const ManifestElement& element : elements)
        if (element.name == name && element.nameSpace == nameSpace)
            found.push_back(&element);
    return found;
}

std::optional<Manifest> ParseManifest(std::string_view text)
{
    return Reader(text).Read();
}

ManifestSettings ReadManifestSettings(const Manifest& manifest)
{
    ManifestSettings settings;
    for (std::string_view trust : {kAssemblyV2, kAssemblyV3})
        for (const ManifestElement* level : manifest.FindAll("requestedExecutionLevel", trust)) {
            settings.executionLevel = attribute(*level, "level");
            settings.uiAccess = attribute(*level, "uiAccess");
        }
    for (const ManifestElement* os : manifest.FindAll("supportedOS", kCompatibility))
        settings.supportedOS.push_back(text::LowerAscii(attribute(*os, "Id")));
    for (const ManifestElement* identity : manifest.FindAll("assemblyIdentity", kAssemblyV1)) {
        if (identity->parent < 0)
            continue;
        const ManifestElement& parent = manifest.elements[static_cast<size_t>(identity->parent)];
        if (parent.name == "dependentAssembly" && parent.nameSpace == kAssemblyV1)
            settings.dependencies.push_back(attribute(*identity, "name") + " " + attribute(*identity, "version"));
    }
    for (const ManifestElement* aware : manifest.FindAll("dpiAware", kWindowsSettings2005))
        settings.dpiAware = aware->text;
    for (const ManifestElement* awareness : manifest.FindAll("dpiAwareness", kWindowsSettings2016))
        settings.dpiAwareness = awareness->text;
    return settings;
}

} // namespace plat::resources
