/* The least a run of the tool needs, as a yardstick for bench/run: open the
 * image, read the identification words, read the answer from standard input
 * when the command asks one, read and write exactly the words the command
 * touches with one positional call each (the header block of -N with one
 * call for all its words), and for a changed image fsync, close and rename
 * it without replacing, then fsync the folder so that the rename lasts. -L
 * and -0 write to two 4 KiB blocks of the image and fsync between them, so
 * that a power cut cannot keep the second block without the first.
 * One line of output per run (the listing for -C). No checks beyond what
 * keeps it from misbehaving.
 *
 *   floor -F IMAGE -C|-0|-G|-L|-N */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

enum {
  k_sub_sys_id = 0xFFFDC,
  k_port_mask = 0x16C,
  k_header = 0xFF000,
  k_gpio = 0xFF004,
  k_listed_last = 0xFF024,
  k_area_last = 0xFF028,
  k_lldp_tx = 0xF1000,
  k_variant_blocks = 0xFD000,
  k_block_size = 0x400,
  k_block_words = 256,
  k_signature = 0x55AA,
  k_en_gpio = 0x10000,
  k_en_lldp = 0x800000,
};

static int g_fd;
static int g_failed;
static char g_out[1024];
static size_t g_len;

static uint32_t rd(uint32_t off) {
  uint32_t w = 0;
  if (pread(g_fd, &w, 4, off) != 4) g_failed = 1;
  return w; /* x86-64 and the image are both little-endian */
}

static void wt(uint32_t off, uint32_t w) {
  if (pwrite(g_fd, &w, 4, off) != 4) g_failed = 1;
}

static void out(const char* s) {
  size_t n = strlen(s);
  if (g_len + n < sizeof g_out) memcpy(g_out + g_len, s, n), g_len += n;
}

static uint32_t answer(void) {
  char buf[64];
  ssize_t n = read(0, buf, sizeof buf);
  uint32_t v = 0;
  for (ssize_t i = 0; i < n; ++i) {
    char c = buf[i];
    if (c >= '0' && c <= '9')
      v = v * 16 + (uint32_t)(c - '0');
    else if (c >= 'a' && c <= 'f')
      v = v * 16 + (uint32_t)(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      v = v * 16 + (uint32_t)(c - 'A' + 10);
    else
      break;
  }
  return v;
}

static uint32_t with_enable(uint32_t header, uint32_t bit) {
  if ((header & 0xFFFF) != k_signature) header = 0;
  return header | bit | k_signature;
}

static void list(void) {
  char line[64];
  for (uint32_t off = k_header; off <= k_listed_last; off += 4) {
    snprintf(line, sizeof line, "0x%x : 0x%x\n", off, rd(off));
    out(line);
  }
  snprintf(line, sizeof line, "0x%x : 0x%x\n", k_lldp_tx, rd(k_lldp_tx));
  out(line);
  snprintf(line, sizeof line, "0x%x : 0x%x\n", k_port_mask, rd(k_port_mask));
  out(line);
}

static void erase(void) {
  for (uint32_t off = k_header; off <= k_area_last; off += 4) wt(off, 0xFFFFFFFF);
  if (fsync(g_fd) != 0) g_failed = 1;
  wt(k_lldp_tx, 0xFFFFFFFF);
}

static void lldp(void) {
  wt(k_lldp_tx, answer());
  if (fsync(g_fd) != 0) g_failed = 1;
  uint32_t h = rd(k_header);
  if (h & 1) h = 0;
  wt(k_header, h | k_signature);
  wt(k_header, with_enable(rd(k_header), k_en_lldp));
}

static void ports(uint32_t ssid) {
  uint32_t remaining = (ssid & 7) - answer();
  uint32_t from = k_variant_blocks + (4 - remaining) * k_block_size;
  uint32_t block[k_block_words];
  uint32_t sum = 0, back = 0;
  if (pread(g_fd, block, sizeof block, from) != (ssize_t)sizeof block) g_failed = 1;
  if (pwrite(g_fd, block, sizeof block, 0) != (ssize_t)sizeof block) g_failed = 1;
  for (uint32_t i = 0; i < k_block_words; ++i) sum += block[i];
  if (pread(g_fd, block, sizeof block, 0) != (ssize_t)sizeof block) g_failed = 1;
  for (uint32_t i = 0; i < k_block_words; ++i) back += block[i];
  if (back != sum) out("checksum error\n");
}

static void rename_changed(const char* path) {
  char name[4096];
  const char* dot = strrchr(path, '.');
  int base = dot ? (int)(dot - path) : (int)strlen(path);
  time_t now = time(NULL);
  struct tm tm;
  localtime_r(&now, &tm);
  snprintf(name, sizeof name, "%.*s_oem_%02d%02d.img", base, path, tm.tm_mon + 1, tm.tm_mday);
  if (syscall(SYS_renameat2, AT_FDCWD, path, AT_FDCWD, name, 1U) == 0) {
    /* the folder that holds the image, so that the rename lasts */
    const char* slash = strrchr(name, '/');
    char folder[4096] = ".";
    if (slash) snprintf(folder, sizeof folder, "%.*s", (int)(slash - name + 1), name);
    int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || fsync(dir) != 0) g_failed = 1;
    if (dir >= 0) close(dir);
    out("renamed to ");
    out(name);
    out("\n");
  } else {
    out("not renamed\n");
  }
}

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const char* path = argv[2];
  const char cmd = argv[3][1];
  g_fd = open(path, O_RDWR | O_CLOEXEC);
  if (g_fd < 0) return 1;
  const uint32_t ssid = rd(k_sub_sys_id);
  (void)rd(k_port_mask);
  int changed = 1;
  switch (cmd) {
    case 'C':
      list();
      changed = 0;
      break;
    case '0':
      erase();
      break;
    case 'G':
      wt(k_gpio, answer() & 0xFFFF);
      wt(k_header, with_enable(rd(k_header), k_en_gpio));
      break;
    case 'L':
      lldp();
      break;
    case 'N':
      ports(ssid);
      break;
    default:
      return 2;
  }
  if (changed) fsync(g_fd);
  close(g_fd);
  if (changed) rename_changed(path);
  if (write(1, g_out, g_len) < 0) return 1;
  return g_failed;
}
