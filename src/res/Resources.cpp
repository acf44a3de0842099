// Dialog templates 100 and 102, the string table and the icon.
#include <QHash>
#include <QPixmap>

#include "platform/DialogTemplate.h"
#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "res/resource.h"

namespace
{
const DialogTemplate kLookupDialog{
    IDD_LOOKUP_DIALOG,
    "Sorellan2.0   -区分大小写,支持空格/逗号/分号分割的多关键字查询",
    367, 278, "宋体", 10, true,
    {
        {IDOK, ControlKind::kPushButton, kDefaultButton | kTabStop, 310, 11, 50, 14, "查找"},
        {IDC_QUERY, ControlKind::kEdit, kBorder | kTabStop, 7, 11, 299, 14, nullptr},
        {IDC_TECH_RESULT, ControlKind::kEdit,
         kMultiLine | kReadOnly | kBorder | kVScroll | kTabStop, 7, 99, 353, 158, nullptr},
        {IDC_STATUS, ControlKind::kEdit, kReadOnly | kTabStop, 47, 263, 125, 12, nullptr},
        {-1, ControlKind::kStatic, kDisabled, 186, 263, 174, 8,
         "词汇数据: CC-CEDICT (CC BY-SA 4.0) - 见关于对话框"},
        {IDC_GENERAL_RESULT, ControlKind::kEdit,
         kMultiLine | kReadOnly | kBorder | kVScroll | kTabStop, 7, 39, 353, 45, nullptr},
        {-1, ControlKind::kStatic, 0, 7, 30, 206, 8, "普通词汇  (最多显示200个精确匹配和50个扩展匹配)"},
        {-1, ControlKind::kStatic, 0, 7, 88, 218, 8, "化学及化工科技词汇\u3000(最多显示200个匹配结果)"},
        {-1, ControlKind::kStatic, 0, 7, 263, 37, 8, "当前状态:"},
    }};

const DialogTemplate kAboutDialog{
    IDD_ABOUTBOX,
    "关于Sorellan",
    260, 62, "宋体", 9, false,
    {
        {-1, ControlKind::kIcon, 0, 11, 17, 20, 20, nullptr, IDR_MAINFRAME},
        {-1, ControlKind::kStatic, 0, 40, 10, 213, 8, "Sorellan 2.0版  英汉通用及化学化工词汇查询"},
        {-1, ControlKind::kStatic, 0, 40, 25, 213, 8, "版权所有 (C) 2026 Sorellan 开发者"},
        {-1, ControlKind::kStatic, 0, 40, 41, 213, 8,
         "词汇数据来自 CC-CEDICT, 按 CC BY-SA 4.0 许可使用"},
    }};

QHash<int, QString>& StringTable()
{
    // The last two: the status line after an empty selection or clipboard was looked up.
    static QHash<int, QString> table{{IDS_ABOUTBOX, QStringLiteral("关于 lexivant2(&A)...")},
                                     {IDS_SELECTION_EMPTY, QStringLiteral("没有选中的文字!")},
                                     {IDS_CLIPBOARD_EMPTY, QStringLiteral("剪贴板中没有文字!")}};
    return table;
}

QPixmap IconImage(int nSize)
{
    return QPixmap(QStringLiteral(":/res/lexivant2-%1.xpm").arg(nSize));
}
}  // namespace

const DialogTemplate* FindDialogTemplate(int nId)
{
    if (nId == IDD_LOOKUP_DIALOG)
        return &kLookupDialog;
    if (nId == IDD_ABOUTBOX)
        return &kAboutDialog;
    return nullptr;
}

QString LoadStringResource(int nId)
{
    return StringTable().value(nId);
}

void SetStringResource(int nId, const QString& text)
{
    StringTable().insert(nId, text);
}

QIcon LoadIconResource(int nId)
{
    QIcon icon;
    if (nId == IDR_MAINFRAME)
        for (int nSize : {16, 32})
            icon.addPixmap(IconImage(nSize));
    return icon;
}
