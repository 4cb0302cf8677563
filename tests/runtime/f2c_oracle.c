#include "tests/runtime/f2c_oracle.h"

#include <f2c.h>
#include <string.h>

#undef abs
#undef min
#undef max

/* libf2c's start-up calls the main program; the tests have their own main. */
int MAIN__(void) { return 0; }

extern void f_init(void);
extern int s_rsle(cilist*), do_lio(ftnint*, ftnint*, char*, ftnlen), e_rsle(void);
extern int s_wsle(cilist*), e_wsle(void);
extern int s_wsfe(cilist*), do_fio(ftnint*, char*, ftnlen), e_wsfe(void);
extern int s_rsfe(cilist*), e_rsfe(void);
extern int f_open(olist*), f_clos(cllist*);

enum { kUnit = 10, kTyLong = 3, kTyReal = 4, kTyChar = 9 };

static int open_unit(const char* path) {
  static int initialized = 0;
  if (!initialized) {
    f_init();
    initialized = 1;
  }
  olist o;
  memset(&o, 0, sizeof o);
  o.oerr = 1;
  o.ounit = kUnit;
  o.ofnm = (char*)path;
  o.ofnmlen = (ftnlen)strlen(path);
  return f_open(&o);
}

static void close_unit(void) {
  cllist c = {1, kUnit, 0};
  f_clos(&c);
}

int oracle_read_integers(const char* path, int32_t initial, int max_reads, int32_t* values, int* codes) {
  if (open_unit(path) != 0) return -1;
  integer v = initial;
  int reads = 0;
  while (reads < max_reads) {
    cilist c = {1, kUnit, 1, 0, 0};
    ftnint type = kTyLong, one = 1;
    int rc = s_rsle(&c);
    if (rc == 0) rc = do_lio(&type, &one, (char*)&v, (ftnlen)sizeof v);
    if (rc == 0) rc = e_rsle();
    values[reads] = v;
    codes[reads] = rc == 0 ? 0 : (rc < 0 ? -1 : 1);
    ++reads;
    if (rc != 0) break;
  }
  close_unit();
  return reads;
}

int oracle_write_integers(const char* path, const char* format, const int32_t* values, int count) {
  if (open_unit(path) != 0) return -1;
  cilist c = {1, kUnit, 0, (char*)format, 0};
  int rc = s_wsfe(&c);
  for (int i = 0; rc == 0 && i < count; ++i) {
    ftnint one = 1;
    integer v = values[i];
    rc = do_fio(&one, (char*)&v, (ftnlen)sizeof v);
  }
  if (rc == 0) rc = e_wsfe();
  close_unit();
  return rc;
}

int oracle_write_real(const char* path, const char* format, float value) {
  if (open_unit(path) != 0) return -1;
  cilist c = {1, kUnit, 0, (char*)format, 0};
  ftnint one = 1;
  real v = value;
  int rc = s_wsfe(&c);
  if (rc == 0) rc = do_fio(&one, (char*)&v, (ftnlen)sizeof v);
  if (rc == 0) rc = e_wsfe();
  close_unit();
  return rc;
}

int oracle_write_list(const char* path, const char* kinds, const char* const* texts, const int32_t* integers,
                      const float* reals) {
  if (open_unit(path) != 0) return -1;
  cilist c = {1, kUnit, 0, 0, 0};
  int rc = s_wsle(&c);
  for (; rc == 0 && *kinds; ++kinds) {
    ftnint one = 1, type;
    if (*kinds == 't') {
      type = kTyChar;
      const char* t = *texts++;
      rc = do_lio(&type, &one, (char*)t, (ftnlen)strlen(t));
    } else if (*kinds == 'i') {
      type = kTyLong;
      integer v = *integers++;
      rc = do_lio(&type, &one, (char*)&v, (ftnlen)sizeof v);
    } else {
      type = kTyReal;
      real v = *reals++;
      rc = do_lio(&type, &one, (char*)&v, (ftnlen)sizeof v);
    }
  }
  if (rc == 0) rc = e_wsle();
  close_unit();
  return rc;
}

int oracle_read_a50(const char* path, char* out) {
  if (open_unit(path) != 0) return -1;
  int records = 0;
  char buffer[50];
  for (;;) {
    cilist c = {1, kUnit, 1, (char*)"(a50)", 0};
    ftnint one = 1;
    int rc = s_rsfe(&c);
    if (rc == 0) rc = do_fio(&one, buffer, 50);
    if (rc == 0) rc = e_rsfe();
    if (rc < 0) break;
    if (rc > 0) {
      records = -1;
      break;
    }
    memcpy(out, buffer, 50);
    ++records;
  }
  close_unit();
  return records;
}
