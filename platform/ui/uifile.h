// Reading the panel resource: Qt Designer .ui files, one per panel. A panel
// is the root widget (dynamic property `panel_number`); its controls are the
// widgets whose objectName begins with the panel's name and "_". Control ids
// are given in document order from 2, so the generated id header and both
// back-ends agree.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace ui {

struct XmlNode {
    std::string tag;
    std::map<std::string, std::string> attrs;
    std::string text;
    std::vector<XmlNode> children;
    const XmlNode* child(const std::string& tag) const;
    std::string attr(const std::string& name) const;
};

// Parses an XML document; false with a message on malformed input.
bool ParseXml(const std::string& text, XmlNode* root, std::string* error);

// A property value of the .ui file (string, number, bool, set/enum, string list).
struct PropValue {
    std::string type;   // "string", "number", "double", "bool", "enum", "cstring", ...
    std::string text;
};

struct CtrlSpec {
    std::string name;     // objectName = control constant
    std::string cls;      // widget class
    int id = 0;
    std::map<std::string, PropValue> props;   // designer and dynamic properties
    std::vector<std::string> items;           // combo / list items
    std::vector<std::string> columns;         // table column headers
    std::vector<std::string> rows;            // table row headers
    std::string label;                        // text of the buddy label, if any
    std::string prop(const std::string& key, const std::string& fallback = "") const;
    bool has(const std::string& key) const { return props.count(key) != 0; }
};

struct PanelSpec {
    std::string name;     // panel constant
    std::string cls;
    std::string file;     // path of the .ui file
    int number = 0;
    std::string title;
    std::string callback;
    std::vector<CtrlSpec> controls;   // index = id - 2
};

// Reads one .ui file. Returns false with a message when it is unreadable or
// not a panel.
bool ReadPanelFile(const std::string& path, PanelSpec* panel, std::string* error);
// Reads every .ui file of a directory, keyed by panel number.
bool ReadResourceDir(const std::string& dir, std::map<int, PanelSpec>* panels, std::string* error);

// The generated id header for a set of panels.
std::string PanelIdHeader(const std::map<int, PanelSpec>& panels);

}  // namespace ui
