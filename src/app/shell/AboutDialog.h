#pragma once
// The About box: product name, the application's version and the firmware and boot-loader
// versions of the logger as last reported.
#include <QDialog>
#include <QString>
#include <memory>

class CSetupInfo;
namespace Ui {
class aboutDialog;
}

extern QString kv_majorVer;
extern QString kv_minorVer;
extern QString kv_build;

class aboutDialog : public QDialog
{
    Q_OBJECT
public:
    // setup: the record whose first logger status gives the versions (none: zeros).
    explicit aboutDialog(QWidget* parent, const CSetupInfo* setup = nullptr);
    ~aboutDialog() override;

    // "major.minor" with the minor number in at least two digits, each taken as 16 bits.
    static QString FormatVersion(int major, int minor);
    QString appVersionText() const;
    QString firmwareText() const;
    QString bootLoaderText() const;

private slots:
    void on_okBtn_clicked();

private:
    std::unique_ptr<Ui::aboutDialog> m_pUi;
};
