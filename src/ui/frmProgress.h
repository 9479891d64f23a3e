#pragma once
// A small window with a bar and a status line, shown while a merge or an
// import runs. It lets the rest of the program repaint now and then, but
// takes no input meanwhile, so nothing can change the document under the work.
#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

namespace keymora {

class frmProgress : public QDialog {
    Q_OBJECT
public:
    frmProgress(const QString& caption, QWidget* parent);

    void setRange(int minimum, int maximum);
    void setValue(int value);
    void setStatus(const QString& text);
    int value() const;
    QString status() const;
    // Shows the window and paints it at once.
    void start();
    // Repaints what is waiting, at most every few hundredths of a second.
    void keepResponsive();

private:
    QProgressBar* m_bar = nullptr;
    QLabel* m_status = nullptr;
    QElapsedTimer m_sincePaint;
};

}  // namespace keymora
