#include "resources/VersionInfo.h"

#include "core/CodePages.h"

#include <cstring>

namespace plat::resources {
namespace {

constexpr DWORD kFixedSignature = 0xFEEF04BD;

// One node of the version tree: wLength, wValueLength, wType, szKey, the
// value, then the children, each part aligned to 4 bytes.
struct Node {
    std::u16string key;
    WORD type = 0;
    const BYTE* value = nullptr;
    size_t valueBytes = 0;
    std::vector<Node> children;
};

size_t align4(size_t n)
{
    return (n + 3) & ~size_t{3};
}

WORD word(const BYTE* p)
{
    WORD v;
    std::memcpy(&v, p, 2);
    return v;
}

bool parseNode(const BYTE* base, size_t at, size_t end, Node* node, size_t* next, int depth)
{
    if (depth > 8 || at + 6 > end)
        return false;
    size_t length = word(base + at);
    WORD valueLength = word(base + at + 2);
    node->type = word(base + at + 4);
    if (length < 6 || at + length > end)
        return false;
    size_t nodeEnd = at + length;
    size_t p = at + 6;
    for (;;) {
        if (p + 2 > nodeEnd)
            return false;
        WORD c = word(base + p);
        p += 2;
        if (c == 0)
            break;
        node->key += static_cast<char16_t>(c);
    }
    p = align4(p);
    // Text values count UTF-16 units, binary values bytes.
    node->valueBytes = node->type == 1 ? size_t{valueLength} * 2 : valueLength;
    if (node->valueBytes > 0) {
        if (p + node->valueBytes > nodeEnd)
            return false;
        node->value = base + p;
        p = align4(p + node->valueBytes);
    }
    while (p + 6 <= nodeEnd) {
        Node child;
        size_t after = 0;
        if (!parseNode(base, p, nodeEnd, &child, &after, depth + 1))
            return false;
        node->children.push_back(std::move(child));
        p = align4(after);
    }
    *next = nodeEnd;
    return true;
}

std::string utf8(const std::u16string& text)
{
    return codepages::Encode(codepages::kUtf8, text, "?").bytes;
}

std::string textValue(const Node& node)
{
    std::u16string text;
    for (size_t i = 0; i + 1 < node.valueBytes; i += 2) {
        WORD c = word(node.value + i);
        if (c == 0)
            break;
        text += static_cast<char16_t>(c);
    }
    return utf8(text);
}

} // namespace

std::optional<VersionInfo> ParseVersionInfo(const BYTE* data, DWORD size)
{
    Node root;
    size_t next = 0;
    if (!parseNode(data, 0, size, &root, &next, 0) || root.key != u"VS_VERSION_INFO")
        return std::nullopt;
    VersionInfo info;
    if (root.valueBytes >= 52) {
        DWORD fixed[13];
        std::memcpy(fixed, root.value, sizeof(fixed));
        if (fixed[0] != kFixedSignature)
            return std::nullopt;
        info.fileVersionMS = fixed[2];
        info.fileVersionLS = fixed[3];
        info.productVersionMS = fixed[4];
        info.productVersionLS = fixed[5];
        info.fileFlags = fixed[7];
        info.fileOS = fixed[8];
        info.fileType = fixed[9];
    }
    for (const Node& block : root.children) {
        if (block.key == u"StringFileInfo") {
            for (const Node& table : block.children) {
                auto& values = info.strings[utf8(table.key)];
                for (const Node& value : table.children)
                    values[utf8(value.key)] = textValue(value);
            }
        } else if (block.key == u"VarFileInfo") {
            for (const Node& var : block.children) {
                for (size_t i = 0; var.key == u"Translation" && i + 4 <= var.valueBytes; i += 4) {
                    DWORD pair;
                    std::memcpy(&pair, var.value + i, 4);
                    info.translations.push_back(pair);
                }
            }
        }
    }
    return info;
}

} // namespace plat::resources
