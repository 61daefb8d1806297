/* Code of the sample installation's modules; only their version resources matter. */
int lmr_sample_module(void) { return 0; }
