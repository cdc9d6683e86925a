// The SHP open dialog: a folder's sub-folders and SHP files as thumbnails, an animated preview of
// the selected file, and the game and type under which it is shown.
#pragma once

#include <QDialog>
#include <QString>

namespace vantrel {

class TFrmOpen : public QDialog {
    Q_OBJECT
public:
    explicit TFrmOpen(QWidget* parent = nullptr);
    ~TFrmOpen() override;

    // Results, read after the dialog closes.
    bool Accepted = false;
    QString SelectedFile;
    int PreviewGame() const;
    int PreviewType() const;
};

} // namespace vantrel
