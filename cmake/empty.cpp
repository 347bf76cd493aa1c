// Placeholder translation unit for a component that has no sources yet.
