/* Preloaded into a tool run on a recorded machine: SG_IO on the disk file
 * named by ZEL_SG_BRIDGE_DISK is answered by the simulated enclosure of
 * ZEL_SG_BRIDGE_MACHINE through "zelsim command" (ZEL_SG_BRIDGE_ZELSIM), so
 * the tool's whole path, from sysfs discovery through the SG_IO header to
 * the registry file, runs as on a computer with the enclosure plugged in.
 * Every other request goes to the system. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <scsi/sg.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int (*next_ioctl)(int, unsigned long, void *);

static int from_hex(const char *text, unsigned char *out, size_t max) {
  size_t n = 0;
  while (text[0] != '\0' && text[0] != '\n' && text[1] != '\0' && n < max) {
    unsigned int byte = 0;
    if (sscanf(text, "%2x", &byte) != 1) break;
    out[n++] = (unsigned char)byte;
    text += 2;
  }
  return (int)n;
}

static int is_bridge_disk(int fd) {
  const char *disk = getenv("ZEL_SG_BRIDGE_DISK");
  char link[64], path[PATH_MAX], real[PATH_MAX];
  if (disk == NULL || realpath(disk, real) == NULL) return 0;
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n < 0) return 0;
  path[n] = '\0';
  return strcmp(path, real) == 0;
}

static int answer(sg_io_hdr_t *io) {
  static char command[16384];
  const unsigned char *cdb = io->cmdp;
  int at = snprintf(command, sizeof command, "'%s' command '%s' ", getenv("ZEL_SG_BRIDGE_ZELSIM"),
                    getenv("ZEL_SG_BRIDGE_MACHINE"));
  for (int i = 0; i < io->cmd_len; ++i) at += snprintf(command + at, sizeof command - at, "%02X", cdb[i]);
  if (io->dxfer_direction == SG_DXFER_TO_DEV) {
    at += snprintf(command + at, sizeof command - at, " --out ");
    for (unsigned i = 0; i < io->dxfer_len && at + 3 < (int)sizeof command; ++i) {
      at += snprintf(command + at, sizeof command - at, "%02X", ((unsigned char *)io->dxferp)[i]);
    }
  } else if (io->dxfer_direction == SG_DXFER_FROM_DEV) {
    at += snprintf(command + at, sizeof command - at, " --in %u", io->dxfer_len);
  }
  FILE *p = popen(command, "r");
  if (p == NULL) return -1;
  static char line[140000];
  int status = -1;
  io->sb_len_wr = 0;
  io->resid = (int)io->dxfer_len;
  while (fgets(line, sizeof line, p) != NULL) {
    if (strncmp(line, "status ", 7) == 0) {
      status = (int)strtol(line + 7, NULL, 16);
    } else if (strncmp(line, "sense ", 6) == 0) {
      io->sb_len_wr = (unsigned char)from_hex(line + 6, io->sbp, io->mx_sb_len);
    } else if (strncmp(line, "data ", 5) == 0) {
      io->resid = (int)io->dxfer_len - from_hex(line + 5, io->dxferp, io->dxfer_len);
    }
  }
  pclose(p);
  if (status < 0) {
    errno = EIO;
    return -1;
  }
  io->status = (unsigned char)status;
  io->masked_status = (unsigned char)(status >> 1);
  io->host_status = 0;
  io->driver_status = io->sb_len_wr > 0 ? 0x08 : 0;
  io->info = status != 0 ? SG_INFO_CHECK : SG_INFO_OK;
  return 0;
}

int ioctl(int fd, unsigned long request, ...) {
  va_list ap;
  va_start(ap, request);
  void *arg = va_arg(ap, void *);
  va_end(ap);
  if (next_ioctl == NULL) next_ioctl = (int (*)(int, unsigned long, void *))dlsym(RTLD_NEXT, "ioctl");
  if (request == SG_IO && getenv("ZEL_SG_BRIDGE_MACHINE") != NULL && is_bridge_disk(fd)) return answer(arg);
  return next_ioctl(fd, request, arg);
}
