// A drag source as a file manager is one, for dropping files on the program in a real X session:
// a small window that starts a drag of a text/uri-list when the mouse is pressed on it. The
// list is given on the command line as the file manager would write it (percent-encoded URLs),
// and offered for copying, moving or linking, copying proposed.
//
//   vorn_drag_source URL...
//
// It prints "ready" once its window is up, "action N" whenever the target under the pointer
// answers with the action it would take, and "drop-action N" when the drag has ended (N is a
// Qt::DropAction: 1 copy, 2 move, 4 link, 0 none). Like a file manager it stays
// up afterwards, since the target asks for the data while it handles the drop; it ends after
// 30 seconds or when killed.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource final : public QWidget {
 public:
  explicit DragSource(QByteArray uriList) : uriList_(std::move(uriList)) {
    setWindowTitle(QStringLiteral("vorn-drag-source"));
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || started_) return;
    started_ = true;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), uriList_);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // What the target under the pointer would take, as it answers; the drop is let go once the
    // window has answered, however slowly a loaded machine lets it.
    connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
      std::printf("action %d\n", int(action));
      std::fflush(stdout);
    });
    const Qt::DropAction action =
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    std::printf("drop-action %d\n", int(action));
    std::fflush(stdout);
  }
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    std::printf("ready\n");
    std::fflush(stdout);
  }

 private:
  QByteArray uriList_;
  bool started_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QByteArray list;
  for (int i = 1; i < argc; ++i)
    list += QByteArray(argv[i]) + "\r\n";
  DragSource source(list);
  source.setGeometry(760, 560, 200, 150);
  source.show();
  QTimer::singleShot(30000, &app, &QApplication::quit);
  return app.exec();
}
