#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("EmptyWindow"));
    window.resize(1028, 732);
    window.showMaximized();
    return QApplication::exec();
}
