/* libstdc++'s configuration claims quick_exit, at_quick_exit and tmpnam,
   which uClibc-ng does not declare, and its headers would name them: turn
   them off before any header uses them. */
#include <bits/c++config.h>
#undef _GLIBCXX_HAVE_QUICK_EXIT
#undef _GLIBCXX_HAVE_AT_QUICK_EXIT
#undef _GLIBCXX_USE_TMPNAM
