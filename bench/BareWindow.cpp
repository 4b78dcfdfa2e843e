// The yardstick of the start-up benchmark: a bare Qt window, shown.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(1024, 700);
    window.show();
    return QApplication::exec();
}
