#include "app/shell/AboutDialog.h"
#include "windowbase/DialogKeys.h"

#include "Core/Data/SetupInfo.h"
#include "ui_AboutDialog.h"

QString kv_majorVer = QStringLiteral("v4");
QString kv_minorVer = QStringLiteral("17");
QString kv_build = QStringLiteral("03");

aboutDialog::aboutDialog(QWidget* parent, const CSetupInfo* setup) : QDialog(parent), m_pUi(new Ui::aboutDialog)
{
    m_pUi->setupUi(this);
    m_pUi->appVersionLabel->setText(kv_majorVer + "." + kv_minorVer + "." + kv_build);
    // Before any logger has reported, the list is empty: the versions read as zeros.
    CCurrentLoggerStatus status;
    if (setup && !setup->m_LoggerStatusList.isEmpty())
        status = setup->m_LoggerStatusList.first();
    m_pUi->FWVersionLabel->setText(tr("Firmware Version: ") + FormatVersion(status.m_Version[0], status.m_Version[1]));
    m_pUi->bootloaderVersionLabel->setText(tr("Boot-Loader Version: ")
                                           + FormatVersion(status.m_Version[4], status.m_Version[5]));
    DialogKeys::AcceptOnReturn(this, m_pUi->okBtn);
}

aboutDialog::~aboutDialog() = default;

QString aboutDialog::FormatVersion(int major, int minor)
{
    return QString::asprintf("%d.%02d", int(qint16(major)), int(qint16(minor)));
}

QString aboutDialog::appVersionText() const
{
    return m_pUi->appVersionLabel->text();
}

QString aboutDialog::firmwareText() const
{
    return m_pUi->FWVersionLabel->text();
}

QString aboutDialog::bootLoaderText() const
{
    return m_pUi->bootloaderVersionLabel->text();
}

void aboutDialog::on_okBtn_clicked()
{
    accept();
}
