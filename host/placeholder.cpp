// Placeholder until the host services land; remove with the first real source.
