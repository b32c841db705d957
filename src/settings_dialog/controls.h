// The dialog's controls as its logic sees them: found by their given names (txt_hour1, chk_repeat1, Combo2,
// ...), so the logic runs the same on the real widgets and on a plain table in a test.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

namespace horalia::settings_dialog {

class Controls {
public:
    virtual ~Controls() = default;
    // The text of a text box, or the edit text of a combo box; empty for an unknown name.
    virtual QString text(const QString& name) const = 0;
    virtual void setText(const QString& name, const QString& text) = 0;
    virtual void setChecked(const QString& name, bool checked) = 0;
    // A combo box's list; the text in its edit field stays as it is.
    virtual void setItems(const QString& name, const QStringList& items) = 0;
    virtual void setShown(const QString& name, bool shown) = 0;
    virtual void setPageEnabled(int page, bool enabled) = 0;
    virtual void setBackground(const QString& name, const QColor& colour) = 0;
};

}  // namespace horalia::settings_dialog
