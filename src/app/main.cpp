// quenby-mailer: the desktop program.
#include "app/MailerApp.h"

int main(int argc, char** argv) {
  return quenby::RunMailer(argc, argv);
}
