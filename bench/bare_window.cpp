// The floor for the clock's start-up figures: a bare Qt window with one label, started and measured the same
// way as the clock (bench/startup.sh).
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bare_window"));
    QLabel label(QStringLiteral("10:15am"));
    label.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    label.resize(112, 35);
    label.show();
    return QApplication::exec();
}
