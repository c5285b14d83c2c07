// Placeholder until the layout loader lands.
