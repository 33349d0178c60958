#include "platform/ui/uifile.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>

namespace ui {

const XmlNode* XmlNode::child(const std::string& t) const
{
    for (const auto& c : children)
        if (c.tag == t) return &c;
    return nullptr;
}

std::string XmlNode::attr(const std::string& name) const
{
    auto it = attrs.find(name);
    return it == attrs.end() ? std::string() : it->second;
}

namespace {

struct XmlReader {
    const std::string& s;
    size_t p = 0;
    std::string err;

    bool fail(const std::string& m)
    {
        if (err.empty()) {
            size_t line = 1 + size_t(std::count(s.begin(), s.begin() + long(std::min(p, s.size())), '\n'));
            err = m + " (line " + std::to_string(line) + ")";
        }
        return false;
    }
    bool starts(const char* t) const { return s.compare(p, std::char_traits<char>::length(t), t) == 0; }
    void skipWs() { while (p < s.size() && std::isspace((unsigned char)s[p])) ++p; }

    static void appendUtf8(std::string& out, unsigned long cp)
    {
        if (cp < 0x80) out += char(cp);
        else if (cp < 0x800) { out += char(0xC0 | (cp >> 6)); out += char(0x80 | (cp & 0x3F)); }
        else if (cp < 0x10000) { out += char(0xE0 | (cp >> 12)); out += char(0x80 | ((cp >> 6) & 0x3F)); out += char(0x80 | (cp & 0x3F)); }
        else { out += char(0xF0 | (cp >> 18)); out += char(0x80 | ((cp >> 12) & 0x3F)); out += char(0x80 | ((cp >> 6) & 0x3F)); out += char(0x80 | (cp & 0x3F)); }
    }

    bool decode(const std::string& in, std::string* out)
    {
        out->clear();
        for (size_t i = 0; i < in.size(); ++i) {
            if (in[i] != '&') { *out += in[i]; continue; }
            size_t semi = in.find(';', i);
            if (semi == std::string::npos || semi - i > 10) return fail("bad entity");
            std::string ent = in.substr(i + 1, semi - i - 1);
            if (ent == "lt") *out += '<';
            else if (ent == "gt") *out += '>';
            else if (ent == "amp") *out += '&';
            else if (ent == "quot") *out += '"';
            else if (ent == "apos") *out += '\'';
            else if (ent.size() > 1 && ent[0] == '#') {
                char* end = nullptr;
                unsigned long cp = ent[1] == 'x' ? std::strtoul(ent.c_str() + 2, &end, 16)
                                                 : std::strtoul(ent.c_str() + 1, &end, 10);
                if (!end || *end || cp > 0x10FFFF) return fail("bad character reference");
                appendUtf8(*out, cp);
            } else return fail("unknown entity &" + ent + ";");
            i = semi;
        }
        return true;
    }

    bool skipMisc()
    {
        for (;;) {
            skipWs();
            if (starts("<?")) {
                size_t e = s.find("?>", p);
                if (e == std::string::npos) return fail("unterminated declaration");
                p = e + 2;
            } else if (starts("<!--")) {
                size_t e = s.find("-->", p);
                if (e == std::string::npos) return fail("unterminated comment");
                p = e + 3;
            } else if (starts("<!")) {
                size_t e = s.find('>', p);
                if (e == std::string::npos) return fail("unterminated declaration");
                p = e + 1;
            } else return true;
        }
    }

    bool name(std::string* out)
    {
        size_t b = p;
        while (p < s.size() && (std::isalnum((unsigned char)s[p]) || s[p] == '_' || s[p] == ':' || s[p] == '-' || s[p] == '.')) ++p;
        if (p == b) return fail("name expected");
        *out = s.substr(b, p - b);
        return true;
    }

    bool element(XmlNode* n, int depth)
    {
        if (depth > 200) return fail("nesting too deep");
        if (p >= s.size() || s[p] != '<') return fail("element expected");
        ++p;
        if (!name(&n->tag)) return false;
        for (;;) {
            skipWs();
            if (p >= s.size()) return fail("unterminated tag");
            if (starts("/>")) { p += 2; return true; }
            if (s[p] == '>') { ++p; break; }
            std::string an;
            if (!name(&an)) return false;
            skipWs();
            if (p >= s.size() || s[p] != '=') return fail("'=' expected");
            ++p; skipWs();
            if (p >= s.size() || (s[p] != '"' && s[p] != '\'')) return fail("quoted value expected");
            char q = s[p++];
            size_t e = s.find(q, p);
            if (e == std::string::npos) return fail("unterminated attribute");
            std::string v;
            if (!decode(s.substr(p, e - p), &v)) return false;
            n->attrs[an] = v;
            p = e + 1;
        }
        std::string raw;
        for (;;) {
            if (p >= s.size()) return fail("unterminated element <" + n->tag + ">");
            if (starts("</")) {
                p += 2;
                std::string en;
                if (!name(&en)) return false;
                if (en != n->tag) return fail("mismatched </" + en + "> for <" + n->tag + ">");
                skipWs();
                if (p >= s.size() || s[p] != '>') return fail("'>' expected");
                ++p;
                return decode(raw, &n->text);
            }
            if (starts("<!--")) {
                size_t e = s.find("-->", p);
                if (e == std::string::npos) return fail("unterminated comment");
                p = e + 3;
            } else if (starts("<![CDATA[")) {
                size_t e = s.find("]]>", p);
                if (e == std::string::npos) return fail("unterminated CDATA");
                std::string cd = s.substr(p + 9, e - p - 9);
                // keep CDATA literal: escape it so decode restores it unchanged
                for (char c : cd) { if (c == '&') raw += "&amp;"; else raw += c; }
                p = e + 3;
            } else if (s[p] == '<') {
                n->children.emplace_back();
                if (!element(&n->children.back(), depth + 1)) return false;
            } else raw += s[p++];
        }
    }
};

PropValue ReadProp(const XmlNode& prop)
{
    PropValue v;
    if (prop.children.empty()) { v.type = "string"; v.text = prop.text; return v; }
    const XmlNode& c = prop.children.front();
    v.type = c.tag;
    if (c.tag == "rect" || c.tag == "size") {
        for (const auto& k : c.children) v.text += (v.text.empty() ? "" : ",") + k.text;
    } else if (c.tag == "font") {
        for (const auto& k : c.children) if (k.tag == "pointsize") v.text = k.text;
    } else if (c.tag == "color") {
        int r = 0, g = 0, b = 0;
        for (const auto& k : c.children) {
            if (k.tag == "red") r = std::atoi(k.text.c_str());
            if (k.tag == "green") g = std::atoi(k.text.c_str());
            if (k.tag == "blue") b = std::atoi(k.text.c_str());
        }
        v.text = std::to_string((r << 16) | (g << 8) | b);
    } else v.text = c.text;
    return v;
}

void CollectItems(const XmlNode& w, std::vector<std::string>* out)
{
    for (const auto& it : w.children) {
        if (it.tag != "item") continue;
        std::string text;
        for (const auto& pr : it.children)
            if (pr.tag == "property" && pr.attr("name") == "text") text = ReadProp(pr).text;
        out->push_back(text);
    }
}

void Walk(const XmlNode& w, const std::string& prefix, PanelSpec* panel,
          std::map<std::string, std::string>* buddies)
{
    for (const auto& c : w.children) {
        if (c.tag == "widget") {
            std::string name = c.attr("name");
            std::string cls = c.attr("class");
            if (cls == "QLabel") {
                for (const auto& pr : c.children)
                    if (pr.tag == "property" && pr.attr("name") == "buddy") {
                        std::string text;
                        for (const auto& pt : c.children)
                            if (pt.tag == "property" && pt.attr("name") == "text") text = ReadProp(pt).text;
                        (*buddies)[ReadProp(pr).text] = text;
                    }
            }
            if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
                CtrlSpec cs;
                cs.name = name;
                cs.cls = cls;
                cs.id = int(panel->controls.size()) + 2;
                for (const auto& pr : c.children) {
                    if (pr.tag == "property") cs.props[pr.attr("name")] = ReadProp(pr);
                    else if (pr.tag == "column" || pr.tag == "row") {
                        std::string text;
                        for (const auto& pt : pr.children)
                            if (pt.tag == "property" && pt.attr("name") == "text") text = ReadProp(pt).text;
                        (pr.tag == "column" ? cs.columns : cs.rows).push_back(text);
                    }
                }
                CollectItems(c, &cs.items);
                panel->controls.push_back(std::move(cs));
            }
            Walk(c, prefix, panel, buddies);
        } else if (c.tag == "layout" || c.tag == "item") {
            Walk(c, prefix, panel, buddies);
        }
    }
}

}  // namespace

bool ParseXml(const std::string& text, XmlNode* root, std::string* error)
{
    XmlReader r{text, 0, {}};
    *root = XmlNode{};
    bool ok = r.skipMisc() && r.element(root, 0) && r.skipMisc();
    if (ok && r.p != text.size()) ok = r.fail("content after the document element");
    if (!ok && error) *error = r.err;
    return ok;
}

std::string CtrlSpec::prop(const std::string& key, const std::string& fallback) const
{
    auto it = props.find(key);
    return it == props.end() ? fallback : it->second.text;
}

bool ReadPanelFile(const std::string& path, PanelSpec* panel, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) { if (error) *error = path + ": cannot open"; return false; }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (ss.str().size() > (8u << 20)) { if (error) *error = path + ": too large"; return false; }
    XmlNode doc;
    std::string e;
    if (!ParseXml(ss.str(), &doc, &e)) { if (error) *error = path + ": " + e; return false; }
    const XmlNode* w = doc.tag == "ui" ? doc.child("widget") : nullptr;
    if (!w) { if (error) *error = path + ": not a Qt Designer form"; return false; }
    *panel = PanelSpec{};
    panel->name = w->attr("name");
    panel->cls = w->attr("class");
    panel->file = path;
    for (const auto& pr : w->children) {
        if (pr.tag != "property") continue;
        std::string n = pr.attr("name");
        if (n == "panel_number") panel->number = std::atoi(ReadProp(pr).text.c_str());
        else if (n == "windowTitle") panel->title = ReadProp(pr).text;
        else if (n == "callback") panel->callback = ReadProp(pr).text;
    }
    if (panel->name.empty() || panel->number <= 0) {
        if (error) *error = path + ": root widget needs a name and a panel_number";
        return false;
    }
    std::map<std::string, std::string> buddies;
    Walk(*w, panel->name + "_", panel, &buddies);
    for (auto& c : panel->controls) {
        auto it = buddies.find(c.name);
        if (it != buddies.end()) c.label = it->second;
        else if (c.has("label")) c.label = c.prop("label");
        else if (c.has("title")) c.label = c.prop("title");
        else if (c.has("text") && c.cls != "QLineEdit" && c.cls != "QLabel") c.label = c.prop("text");
    }
    return true;
}

bool ReadResourceDir(const std::string& dir, std::map<int, PanelSpec>* panels, std::string* error)
{
    DIR* d = opendir(dir.c_str());
    if (!d) { if (error) *error = dir + ": cannot open the panel resource"; return false; }
    std::vector<std::string> files;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n.size() > 3 && n.compare(n.size() - 3, 3, ".ui") == 0) files.push_back(dir + "/" + n);
    }
    closedir(d);
    std::sort(files.begin(), files.end());
    panels->clear();
    for (const auto& f : files) {
        PanelSpec p;
        if (!ReadPanelFile(f, &p, error)) return false;
        if (panels->count(p.number)) {
            if (error) *error = f + ": panel number " + std::to_string(p.number) + " used twice";
            return false;
        }
        (*panels)[p.number] = std::move(p);
    }
    return true;
}

std::string PanelIdHeader(const std::map<int, PanelSpec>& panels)
{
    std::string h = "// Panel and control ids of the panel resource (resources/*.ui).\n"
                    "// Generated at build time; do not edit.\n#pragma once\n\n";
    for (const auto& [num, p] : panels) {
        h += "// " + p.file.substr(p.file.find_last_of('/') + 1) + "\n";
        h += "inline constexpr int " + p.name + " = " + std::to_string(num) + ";\n";
        for (const auto& c : p.controls)
            h += "inline constexpr int " + c.name + " = " + std::to_string(c.id) + ";\n";
        h += "\n";
    }
    return h;
}

}  // namespace ui
