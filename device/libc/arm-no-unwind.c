/* uClibc's signal() on ARM carries an unwind table entry that names this
   personality routine of the C++ runtime. Nothing in the programs ever
   unwinds: a weak stub keeps libgcc_eh, and its VFP instructions, out. */
void __aeabi_unwind_cpp_pr1(void) __attribute__((weak));
void __aeabi_unwind_cpp_pr1(void) {}
