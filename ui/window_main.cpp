// The Korrivan window program: `korrivan` with no arguments, or with
// "--window [FILE.las]", hands over to it. Given a LAS file name it
// certifies that file as soon as the window is up.
#include <string>

#include "app/settings_store.h"
#include "certify/session.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  korrivan::certify::Session session = korrivan::app::startingSession();
  const std::string file = argc >= 2 ? argv[1] : "";
  int qtArgc = 1;
  return korrivan::ui::runWindow(session, qtArgc, argv, file);
}
