// Dialog templates: every control of a dialog with its id, kind, style, text and place in
// dialog units, as the resource files describe them.
#pragma once

#include <vector>

enum ControlStyle : unsigned
{
    kTabStop = 1u << 0,
    kBorder = 1u << 1,
    kReadOnly = 1u << 2,
    kMultiLine = 1u << 3,
    kVScroll = 1u << 4,
    kDisabled = 1u << 5,
    kDefaultButton = 1u << 6,
};

enum class ControlKind
{
    kPushButton,
    kEdit,
    kStatic,
    kIcon,
};

struct ControlTemplate
{
    int nId;  // -1 for a static control nobody refers to
    ControlKind kind;
    unsigned style;
    int x, y, cx, cy;       // dialog units
    const char* szText;     // UTF-8; for an icon, nothing
    int nIconId = 0;
};

struct DialogTemplate
{
    int nId;
    const char* szCaption;  // UTF-8
    int cx, cy;             // dialog units
    const char* szFontFace; // UTF-8
    int nPointSize;
    bool bMinimizeBox;
    std::vector<ControlTemplate> controls;  // also the tab order
};

// Supplied by the resources.
const DialogTemplate* FindDialogTemplate(int nId);
