/* Code of the small DLLs that carry the version resources under test. */
int lmr_version_fixture(void) { return 0; }
