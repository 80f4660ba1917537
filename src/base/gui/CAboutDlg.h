#pragma once
#include <QDialog>

// "О программе Brenna": the icon, what the program is for, and who made it.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
