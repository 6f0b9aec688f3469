/* A plain GMime mailbox loop for bench/mbox-timings.sh: the parser in mbox
 * mode constructs every message and reads its subject and sender. Prints
 * the number of messages. */
#include <fcntl.h>
#include <gmime/gmime.h>
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: gmime-mbox-loop FILE\n");
    return 2;
  }
  g_mime_init();
  int fd = open(argv[1], O_RDONLY);
  if (fd < 0) {
    perror(argv[1]);
    return 1;
  }
  GMimeStream* stream = g_mime_stream_fs_new(fd);
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  g_mime_parser_set_format(parser, GMIME_FORMAT_MBOX);
  long count = 0;
  while (!g_mime_parser_eos(parser)) {
    GMimeMessage* message = g_mime_parser_construct_message(parser, NULL);
    if (!message) break;
    (void)g_mime_message_get_subject(message);
    (void)g_mime_message_get_from(message);
    g_object_unref(message);
    ++count;
  }
  g_object_unref(parser);
  g_object_unref(stream);
  printf("%ld\n", count);
  return 0;
}
